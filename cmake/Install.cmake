# Installing: `cmake --install build --prefix PREFIX` puts the programs in PREFIX/bin, the run-time
# audio library, the modules that bind libavcodec, libcurl, libssl, libsndfile, FFTW and GStreamer
# on first use, the setup library and the plug-in folder in PREFIX/lib/sonvale (found through the
# programs' RUNPATH), and the desktop files, icons, metainfo and manual pages under PREFIX/share.
# `cpack -G DEB` in the build folder makes a Debian package of the same tree.
include(GNUInstallDirs)

set(SONVALE_PRIVATE_LIBDIR lib/sonvale)
set(SONVALE_PROGRAMS sonvale sonvale-cli mantlery sonvale-setup)

# The build folder has the same layout, so the programs are built with the installed RUNPATH: a
# RUNPATH padded for rewriting at install would hold empty entries, which name the working folder.
set_target_properties(${SONVALE_PROGRAMS} PROPERTIES INSTALL_RPATH "$ORIGIN/../${SONVALE_PRIVATE_LIBDIR}"
    BUILD_WITH_INSTALL_RPATH ON)
install(TARGETS ${SONVALE_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS fmodce sonvale_setup sonvale-avcodec sonvale-net sonvale-tls sonvale-gst sonvale-sndfile sonvale-fftw LIBRARY DESTINATION ${SONVALE_PRIVATE_LIBDIR} NAMELINK_SKIP)
# Decoder plug-ins dropped here are loaded at start (none ship with the player).
install(DIRECTORY DESTINATION ${SONVALE_PRIVATE_LIBDIR}/plugins)

install(FILES packaging/sonvale.desktop packaging/mantlery.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES packaging/io.github.sonvale.sonvale.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES packaging/man/sonvale.1 packaging/man/sonvale-cli.1 packaging/man/mantlery.1
    packaging/man/sonvale-setup.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The icons, drawn at build time.
set(SONVALE_ICONS ${CMAKE_BINARY_DIR}/icons)
add_custom_command(OUTPUT ${SONVALE_ICONS}/hicolor/scalable/apps/sonvale.svg
    COMMAND icon-generator ${SONVALE_ICONS}
    DEPENDS icon-generator
    COMMENT "Drawing the icons")
add_custom_target(icons ALL DEPENDS ${SONVALE_ICONS}/hicolor/scalable/apps/sonvale.svg)
install(DIRECTORY ${SONVALE_ICONS}/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

set(CPACK_PACKAGE_NAME sonvale)
set(CPACK_PACKAGE_VENDOR "The Sonvale developers")
set(CPACK_PACKAGE_CONTACT "The Sonvale developers <sonvale@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Skinnable audio player with synchronised lyrics")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://github.com/sonvale/sonvale")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the libraries' own dependencies do not say: Qt's platform plug-ins, and a face with
# Hangul for the Korean interface.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# Windows Media through GStreamer (else the engine plays it): the ASF demuxer and WMA decoders.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-nanum, gstreamer1.0-plugins-base, gstreamer1.0-plugins-ugly, gstreamer1.0-libav, gstreamer1.0-alsa")
set(CPACK_STRIP_FILES ON)
# The private libraries are found through the RUNPATH, not the system's library path.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_GENERATOR DEB)
include(CPack)
