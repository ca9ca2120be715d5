# The Debian package of the program, built with `cpack -G DEB` from a configured build (see
# scripts/package.sh). dpkg-shlibdeps reads the libraries the program links against and names
# their packages as dependencies, so apt brings Qt, giflib, libjpeg and Little CMS onto a machine
# that has none of them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME plivora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Plivora developers")
set(CPACK_PACKAGE_CONTACT "The Plivora developers <dev@plivora.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small picture viewer for GIF, JPEG, BMP, ICO and CUR files")
# Debian wants the long description in lines of under 80 characters; CPack indents each one.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Plivora shows the pictures of a folder chosen from a drive list, a folder"
    "list and a file list, fitted into its window with their size in pixels,"
    "scale and file size. Animated GIFs play frame by frame, a thumbnail window"
    "pages through a folder 60 pictures at a time, and the window can stay on"
    "top or hide behind a tiny floating panel that snaps to the screen edges.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Plivora developers <dev@plivora.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# plivora_<version>_<architecture>.deb, the name Debian's tools give a package file.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

include(CPack)
