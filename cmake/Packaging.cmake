# The Debian package: `cpack -G DEB` in a build tree makes orvex_<version>_<arch>.deb
# of what `cmake --install` puts under /usr (scripts/check-install.sh builds
# and checks it). Library dependencies come from dpkg-shlibdeps; the GStreamer
# elements and Qt platform plugins the program loads at run time are named here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME orvex)
set(CPACK_PACKAGE_VENDOR Brevantix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Brevantix <orvex@brevantix.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "webcam application: live preview, recording to AVI, snapshots")
set(CPACK_PACKAGE_DESCRIPTION
    "Orvex Ziru shows the live picture of a camera, records video with or without sound and compression to AVI files, takes snapshots as BMP, JPG or GIF, adjusts the picture and draws a line of text and up to three images over every frame. Recording and snapshots also work from the command line without a window.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.brevantix.example/orvex")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# avimux, v4l2src, pulsesrc, jpegenc and autoaudiosink (good), videoconvert,
# audioconvert and appsink (base), the libav encoders and decoders, and a font
# for the windows and the text overlay. (Qt's X11 and offscreen platforms come
# with libqt6gui6.)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-libav, fonts-dejavu-core")
# More compressors (x264, LAME), Wayland, and the desktop's opener for the manual.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "gstreamer1.0-plugins-ugly, qt6-wayland, xdg-utils")
include(CPack)
