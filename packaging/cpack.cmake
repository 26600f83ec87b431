# make package: a Debian package of everything `make install` installs, under /usr.
# Its dependencies are read from the libraries the programs link (dpkg-shlibdeps), plus the
# Qt plugins that are loaded at run time and so appear in no link line.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ostrevo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Kestrum Software")
set(CPACK_PACKAGE_CONTACT "Kestrum Software <feedback@ostrevo.app>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://ostrevo.app")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyboard-driven outliner for lists, trees and maps")
# The long description as it appears in the package, one line per line: Debian's tools show
# it as it is, and want no line longer than 80 columns with the blank put before each.
set(CPACK_PACKAGE_DESCRIPTION
    "Ostrevo keeps documents that are trees of items with notes, checks and colour
labels, shown as an indented list, a tree of boxes or a map of columns, and
driven from the keyboard. It reads and writes OPML, Markdown lists and indented
text; ostrevo-cli converts, checks and searches the same files from the command
line.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
# The desktop, MIME and icon databases are refreshed by their packages' dpkg triggers; spell
# checking needs at least one hunspell dictionary.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "shared-mime-info, desktop-file-utils, hicolor-icon-theme, hunspell-en-us | hunspell-dictionary")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")

# Debian's own files: the copyright in the machine-readable format, and the changelog,
# compressed as Debian policy asks (gzip -9, no name or time stamp inside).
include(GNUInstallDirs)
set(OSTREVO_CHANGELOG_GZ ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(
    OUTPUT ${OSTREVO_CHANGELOG_GZ}
    COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/changelog
            ${PROJECT_BINARY_DIR}/packaging/changelog
    COMMAND gzip -9 -n -f ${PROJECT_BINARY_DIR}/packaging/changelog
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
    COMMENT "Compressing the package's changelog"
    VERBATIM)
add_custom_target(ostrevo_changelog ALL DEPENDS ${OSTREVO_CHANGELOG_GZ})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${OSTREVO_CHANGELOG_GZ}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/ostrevo)
include(CPack)
