# `make package`: a Debian package of the install tree. Its Depends come from
# dpkg-shlibdeps, which reads the libraries the installed programs link.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarvo)
set(CPACK_PACKAGE_VENDOR "HALVEK GROUP")
set(CPACK_PACKAGE_CONTACT "${TARVO_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "MIDI tool for instrument developers")
set(CPACK_PACKAGE_DESCRIPTION
    "Monitors, filters and sends MIDI messages over the ALSA sequencer or JACK:\n\
MIDI In and Out monitors, a System Exclusive editor, a keyboard, control and\n\
program change, and a timing clock generator, saved as project files.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${TARVO_HOMEPAGE_URL}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Icons, the launcher and the file type are picked up by the dpkg triggers of
# hicolor-icon-theme, desktop-file-utils and shared-mime-info; no scripts needed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme, shared-mime-info")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "jackd2")
include(CPack)
