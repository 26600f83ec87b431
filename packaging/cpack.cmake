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
set(CPACK_PACKAGE_DESCRIPTION
    "Ostrevo keeps documents that are trees of items with notes, checks and colour labels, \
shown as an indented list, a tree of boxes or a map of columns, and driven from the keyboard. \
It reads and writes OPML, Markdown lists and indented text; ostrevo-cli converts, checks and \
searches the same files from the command line.")
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
include(CPack)
