# Fails when a file of app/FOLDER includes a header of an application folder outside ALLOWED
# (the folder itself and those its library links), naming the file and the line.
# cmake -DFOLDER=views -DALLOWED="views;platform" -DSOURCES_DIR=app -DSTAMP=out -P check_layer.cmake
cmake_minimum_required(VERSION 3.25)
file(GLOB files ${SOURCES_DIR}/${FOLDER}/*.cpp ${SOURCES_DIR}/${FOLDER}/*.hpp)
set(faults)
foreach(path IN LISTS files)
    file(STRINGS ${path} includes REGEX "^#include \"app/[a-z_]+/")
    foreach(line IN LISTS includes)
        string(REGEX REPLACE "^#include \"app/([a-z_]+)/.*$" "\\1" used "${line}")
        if(NOT used IN_LIST ALLOWED)
            file(RELATIVE_PATH shown ${SOURCES_DIR} ${path})
            list(APPEND faults "app/${shown}: ${line}")
        endif()
    endforeach()
endforeach()
if(faults)
    list(JOIN faults "\n  " listed)
    list(JOIN ALLOWED ", " reachable)
    message(FATAL_ERROR
        "app/${FOLDER} may include only app/{${reachable}} (see app/CMakeLists.txt):\n  ${listed}")
endif()
file(WRITE ${STAMP} "")
