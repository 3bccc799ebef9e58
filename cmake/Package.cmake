# The Debian package, made by `cpack -G DEB` in a build (`make package`):
# quorvalen_VERSION_ARCH.deb, installing to /usr, its dependencies found by
# dpkg-shlibdeps (package dpkg-dev) from the programs' libraries.
set(QVL_PACKAGE_MAINTAINER "Quorvalen developers <quorvalen@users.noreply.github.com>"
    CACHE STRING "The Debian package's maintainer")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quorvalen)
set(CPACK_PACKAGE_VENDOR "The Quorvalen developers")
set(CPACK_PACKAGE_CONTACT "${QVL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "disk cataloguer that browses and searches drives offline")
# Broken into lines as the control file shows them.
set(CPACK_PACKAGE_DESCRIPTION "Quorvalen walks a drive's whole folder tree and writes either a plain-text
listing or a compact catalogue of every folder and file, with sizes, the
drive's label and a comment. Later, without the disk, it browses a catalogue
folder by folder, searches one catalogue or all of them, and merges
catalogues.

The package holds the window (quorvalen) and qvl, the command-line tool on
the same core, for scripts and machines without a display.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${QVL_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/quorvalen/quorvalen")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
if(TARGET quorvalen)
  # Qt loads these at run time, so dpkg-shlibdeps cannot see them: the window's
  # platform plug-ins and the SVG plug-ins that draw its icons.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
endif()
include(CPack)
