# Installing and packaging: the programs with their desktop entry, icons,
# manual pages and AppStream metainfo, and a Debian package made by CPack
# (scripts/package).
include(GNUInstallDirs)

set(RT3180_APPSTREAM_ID com.example.rt3180)
# The day the release PROJECT_VERSION names was made; metainfo and manual pages show it.
set(RT3180_RELEASE_DATE 2026-12-07)
set(RT3180_RES ${PROJECT_SOURCE_DIR}/res)
set(RT3180_GENERATED_RES ${PROJECT_BINARY_DIR}/res)

set(RT3180_INSTALLED_PROGRAMS rt3180 spi-adapter-sim)
if(TARGET rt3180-cli)
  list(APPEND RT3180_INSTALLED_PROGRAMS rt3180-cli)
endif()
install(TARGETS ${RT3180_INSTALLED_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# What a package needs built, without the tests, benchmarks and tools.
add_custom_target(installed-programs)
add_dependencies(installed-programs ${RT3180_INSTALLED_PROGRAMS})

# The application calls itself "rt3180" as its desktop file name; the entry must match.
install(FILES ${RT3180_RES}/rt3180.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

set(RT3180_ICON_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
foreach(size 16 32 48 64 128 256)
  install(FILES ${RT3180_RES}/icons/rt3180-${size}.png
          DESTINATION ${RT3180_ICON_DIR}/${size}x${size}/apps RENAME rt3180.png)
endforeach()
install(FILES ${RT3180_RES}/icons/rt3180.svg DESTINATION ${RT3180_ICON_DIR}/scalable/apps)

configure_file(${RT3180_RES}/rt3180.metainfo.xml
               ${RT3180_GENERATED_RES}/${RT3180_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${RT3180_GENERATED_RES}/${RT3180_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# Manual pages go in compressed, as Debian expects; compressed when configured,
# which happens again whenever a page changes.
set(RT3180_MANUAL_PAGES rt3180.1 spi-adapter-sim.1)
if(TARGET rt3180-cli)
  list(APPEND RT3180_MANUAL_PAGES rt3180-cli.1)
endif()
foreach(page IN LISTS RT3180_MANUAL_PAGES)
  configure_file(${RT3180_RES}/man/${page} ${RT3180_GENERATED_RES}/man/${page} @ONLY)
  execute_process(COMMAND gzip -9nf ${RT3180_GENERATED_RES}/man/${page} COMMAND_ERROR_IS_FATAL ANY)
  install(FILES ${RT3180_GENERATED_RES}/man/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

set(RT3180_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/rt3180)
configure_file(${RT3180_RES}/copyright ${RT3180_GENERATED_RES}/copyright COPYONLY)
execute_process(COMMAND date -u -R -d ${RT3180_RELEASE_DATE} OUTPUT_VARIABLE RT3180_RELEASE_DATE_RFC2822
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${RT3180_RES}/changelog ${RT3180_GENERATED_RES}/changelog @ONLY)
execute_process(COMMAND gzip -9nf ${RT3180_GENERATED_RES}/changelog COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${RT3180_GENERATED_RES}/copyright ${RT3180_GENERATED_RES}/changelog.gz
        DESTINATION ${RT3180_DOC_DIR})

# The Debian package. Its library dependencies are read from the binaries
# (dpkg-shlibdeps); the platform plugins are only recommended by Qt, yet the
# window cannot open without them.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rt3180)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "rt3180 developers <rt3180@example.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "stepper-motor drive set-up through an SPI Interface adapter")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "A desktop program that sets up an RT3180 or PKN61/72 stepper-motor drive
through an SPI Interface adapter on a serial port: it reads the drive's step
resolution, motor current and idle current, sends new ones, switches the
drive test on and off, and keeps settings in files. spi-adapter-sim plays
the adapter on a pseudo-terminal, to try the program without hardware.")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.example.com/rt3180)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-qpa-plugins)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
