# `cmake --install` lays Kelvo out as a desktop program, and CPack packs that layout as a
# Debian package: `cpack -G DEB` in the build folder (scripts/package does both).
include(GNUInstallDirs)

install(TARGETS kelvo kelvo-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The working-folder files; the program offers them to a working folder that lacks them
# and finds them as share/kelvo beside its bin folder.
install(DIRECTORY data/ DESTINATION ${CMAKE_INSTALL_DATADIR}/kelvo)

if(NOT UNIX OR APPLE)
  return()
endif()

set(KELVO_PACKAGING ${CMAKE_SOURCE_DIR}/packaging)
install(FILES ${KELVO_PACKAGING}/kelvo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${KELVO_PACKAGING}/kelvo.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${KELVO_PACKAGING}/kelvo-cli.bash-completion
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kelvo-cli)

# Man pages and the changelog go compressed, as Debian wants them; -n keeps the name and
# time out of the archive so that a rebuild gives the same bytes.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(KELVO_COMPRESSED "")
foreach(source kelvo.1 kelvo-cli.1 debian/changelog)
  get_filename_component(name ${source} NAME)
  set(copy ${CMAKE_BINARY_DIR}/packaging/${name})
  add_custom_command(OUTPUT ${copy}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${KELVO_PACKAGING}/${source} ${copy}
    COMMAND ${GZIP_PROGRAM} -9nf ${copy}
    DEPENDS ${KELVO_PACKAGING}/${source}
    VERBATIM)
  list(APPEND KELVO_COMPRESSED ${copy}.gz)
endforeach()
add_custom_target(kelvo_compressed_docs ALL DEPENDS ${KELVO_COMPRESSED})
install(FILES ${CMAKE_BINARY_DIR}/packaging/kelvo.1.gz ${CMAKE_BINARY_DIR}/packaging/kelvo-cli.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# Debian names the folder after the package, not after the CMake project.
set(KELVO_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/kelvo)
install(FILES ${KELVO_PACKAGING}/debian/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION ${KELVO_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kelvo)
set(CPACK_PACKAGE_VENDOR "The Kelvo developers")
set(CPACK_PACKAGE_CONTACT "The Kelvo developers <kelvo-developers@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service and configuration tool for serial-line gas sensors")
set(CPACK_PACKAGE_DESCRIPTION
  "Kelvo identifies a CO2, temperature, humidity or O2 sensor of platform 5, 6,
61 or 7 on a serial port, reads its memories and opens the window for its
platform: live values, settings to edit, send, save and load, and calibrations.
kelvo-cli does the same from a terminal. Built-in virtual sensors let
everything be tried without hardware.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps names the Qt and C++ runtime packages the programs link (libqt6gui6
# brings the X11 platform plugin with it). Qt Charts is named as well: the build asks for
# it, but the linker drops it while no window draws a chart yet. The help pages open in
# the desktop's browser through xdg-open.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6charts6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${KELVO_PACKAGING}/debian/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
