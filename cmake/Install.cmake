# make install / make uninstall / make package: the binary, its desktop entry, icons,
# AppStream metainfo and man page, laid out by GNUInstallDirs (DESTDIR and
# CMAKE_INSTALL_PREFIX honoured).
include(GNUInstallDirs)

set(FRAYMARK_APP_ID io.fraymark.Fraymark)
set(generated ${PROJECT_BINARY_DIR}/generated)

# Icons drawn from the tray emblem's own paths.
add_executable(fraymark_make_icons ${PROJECT_SOURCE_DIR}/resources/icons/make_icons.cpp)
target_link_libraries(fraymark_make_icons PRIVATE fraymark_island fraymark_warnings)
add_custom_command(OUTPUT ${generated}/icons/scalable/apps/${FRAYMARK_APP_ID}.svg
  COMMAND fraymark_make_icons ${generated}/icons
  DEPENDS fraymark_make_icons
  COMMENT "Drawing the application icons")

add_custom_command(OUTPUT ${generated}/fraymark.1
  COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:fraymark> -DOUTPUT=${generated}/fraymark.1
          -DVERSION=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
  DEPENDS fraymark ${PROJECT_SOURCE_DIR}/cmake/ManPage.cmake
  COMMENT "Writing the man page from the usage text")

configure_file(${PROJECT_SOURCE_DIR}/resources/linux/${FRAYMARK_APP_ID}.metainfo.xml
  ${generated}/${FRAYMARK_APP_ID}.metainfo.xml @ONLY)

add_custom_target(fraymark_install_files ALL
  DEPENDS ${generated}/icons/scalable/apps/${FRAYMARK_APP_ID}.svg ${generated}/fraymark.1)

install(TARGETS fraymark RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/resources/linux/${FRAYMARK_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${generated}/${FRAYMARK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${generated}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor
  FILES_MATCHING PATTERN "*.png" PATTERN "*.svg")
install(FILES ${generated}/fraymark.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# Removes what the last install wrote (its manifest), nothing else.
configure_file(${PROJECT_SOURCE_DIR}/cmake/Uninstall.cmake.in ${PROJECT_BINARY_DIR}/Uninstall.cmake @ONLY)
add_custom_target(uninstall COMMAND ${CMAKE_COMMAND} -P ${PROJECT_BINARY_DIR}/Uninstall.cmake)

# The Debian package; run-time dependencies come from dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME fraymark)
set(CPACK_PACKAGE_VENDOR "Fraymark")
set(CPACK_PACKAGE_CONTACT "Fraymark developers <dev@fraymark.io>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop HUD for AI coding-agent sessions")
set(CPACK_PACKAGE_DESCRIPTION
  "Fraymark watches the transcripts coding agents write and shows every live session as a\nfighter in an island at the top of the screen, with a tray icon and alert sounds.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY fraymark)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-roboto-unhinted, libcanberra-pulse, sound-theme-freedesktop")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)
