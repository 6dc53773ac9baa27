# Installation and the Debian package.
#
#   cmake --install build --prefix /usr/local
#   scripts/package                       (a .deb in build-package/)
#
# Programs that exist in this build are installed into bin/; the station window
# (windscope) also gets its desktop-menu launcher, a desktop entry and an icon.
# The station keeps its files in the directory it is started in: the launcher
# starts it in ${XDG_DATA_HOME:-~/.local/share}/windscope, made on first start.
include(GNUInstallDirs)

foreach(program windscope windscope-sim windscope-station windscope-report)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

set(packaging ${PROJECT_SOURCE_DIR}/packaging)
if(TARGET windscope)
  install(PROGRAMS ${packaging}/windscope-desktop DESTINATION ${CMAKE_INSTALL_BINDIR})
  # The desktop entry names the launcher by its full path, under the prefix the
  # installation really uses (cmake --install --prefix, or CPack's /usr): made at
  # install time, not at configure time.
  install(CODE "
    set(WINDSCOPE_INSTALL_BINDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    configure_file(\"${packaging}/windscope.desktop.in\"
                   \"${PROJECT_BINARY_DIR}/packaging/windscope.desktop\" @ONLY)")
  install(FILES ${PROJECT_BINARY_DIR}/packaging/windscope.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${packaging}/windscope.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
  install(FILES ${packaging}/windscope-256.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps
          RENAME windscope.png)
  install(FILES ${packaging}/windscope-48.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/48x48/apps
          RENAME windscope.png)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Only what the programs need at run time beyond their shared libraries, whose
# packages dpkg-shlibdeps finds (Qt's X11 platform plugin comes with libqt6gui6):
# the Korean and fallback fonts the windows name.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME windscope)
set(CPACK_PACKAGE_VENDOR "${WINDSCOPE_COMPANY_NAME}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Monitoring and recording station for networked anemometer data loggers")
set(CPACK_PACKAGE_DESCRIPTION
    "Polls up to 100 anemometer data loggers twice a second, judges every speed against the Alarm, Stop and Trip levels, drives alarms and a lamp tower, records every second into monthly files and reports them. Includes the logger simulator windscope-sim and the headless runner windscope-station.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Windscope <windscope@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-nanum, fonts-dejavu-core")
include(CPack)
