# Installing and packaging. `cmake --install build --prefix PREFIX` puts the launcher `tarnwick` and
# `tarnwick-bench` in PREFIX/bin, the game itself in PREFIX/libexec/tarnwick (so that `tarnwick` on the PATH
# is the launcher), the data, the bench's references and the default tarnwick.cfg in PREFIX/share/tarnwick,
# and the desktop entry, icon and man page where desktops and man look. `cpack -G DEB` in the build folder makes a .deb of the
# same, its dependencies taken from the libraries the binaries link (dpkg-shlibdeps).
include(GNUInstallDirs)

set(tarnwick_data_dir ${CMAKE_INSTALL_DATADIR}/tarnwick)
set(tarnwick_game_dir ${CMAKE_INSTALL_LIBEXECDIR}/tarnwick)

install(TARGETS tarnwick RUNTIME DESTINATION ${tarnwick_game_dir})
if(TARGET tarnwick-bench)
    install(TARGETS tarnwick-bench RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    # Beside the data, so that an install can check a driver against them (--reference, --drivers).
    install(DIRECTORY bench/references DESTINATION ${tarnwick_data_dir})
endif()
install(DIRECTORY shaders textures meshes DESTINATION ${tarnwick_data_dir})
install(FILES tarnwick.cfg DESTINATION ${tarnwick_data_dir})

# The launcher finds the data and the game relative to where it is installed, so any prefix works.
file(RELATIVE_PATH launcher_to_data /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${tarnwick_data_dir})
file(RELATIVE_PATH launcher_to_game /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${tarnwick_game_dir}/tarnwick)
configure_file(dist/tarnwick.in ${CMAKE_BINARY_DIR}/dist/tarnwick @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/dist/tarnwick DESTINATION ${CMAKE_INSTALL_BINDIR})

install(FILES dist/tarnwick.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES dist/tarnwick.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)
# Man pages go compressed; -n leaves the time out, so the file is the same on every build.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/dist/tarnwick.6.gz
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/dist/tarnwick.6 > ${CMAKE_BINARY_DIR}/dist/tarnwick.6.gz
    DEPENDS ${CMAKE_SOURCE_DIR}/dist/tarnwick.6 VERBATIM)
add_custom_target(tarnwick_man_page ALL DEPENDS ${CMAKE_BINARY_DIR}/dist/tarnwick.6.gz)
install(FILES ${CMAKE_BINARY_DIR}/dist/tarnwick.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VERSION 0.1.0)
set(CPACK_PACKAGE_CONTACT "Tarnwick developers <tarnwick@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "small 3D shooter that doubles as an OpenGL test bench")
set(CPACK_PACKAGE_DESCRIPTION "Shoot spinning wireframe solids and a translucent lit boss through the mouse \
cursor. Function keys switch texture filtering, frustum culling, motion blur and a set of inspection models; \
tarnwick-bench runs the game's scenes and prints frame-time statistics.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries name no driver; without one the game cannot open its OpenGL display.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libgl1-mesa-dri)
include(CPack)
