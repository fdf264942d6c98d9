# Installing and packaging on Windows: the window and the command line, as a
# ZIP to unpack anywhere and an NSIS installer with a Start-menu entry and an
# uninstaller (scripts/package-windows). Both programs are linked statically,
# so no DLL goes with them.
set(RT3180_INSTALLED_PROGRAMS "")
foreach(program rt3180 rt3180-cli)
  if(TARGET ${program})
    list(APPEND RT3180_INSTALLED_PROGRAMS ${program})
  endif()
endforeach()
install(TARGETS ${RT3180_INSTALLED_PROGRAMS} RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/res/copyright DESTINATION . RENAME copyright.txt)
# What a package needs built, without the tests.
add_custom_target(installed-programs)
add_dependencies(installed-programs ${RT3180_INSTALLED_PROGRAMS})

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME rt3180)
set(CPACK_PACKAGE_VENDOR KOLV)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "stepper-motor drive set-up through an SPI Interface adapter")
set(CPACK_PACKAGE_FILE_NAME rt3180-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY RT3180)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/res/copyright)
set(CPACK_STRIP_FILES ON)
# The Start-menu entry opens the window (bin\rt3180.exe).
set(CPACK_PACKAGE_EXECUTABLES rt3180 "RT3180 SPI Interface")
# A 64-bit installer for 64-bit programs: it runs where they run.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_DISPLAY_NAME "RT3180 SPI Interface ${PROJECT_VERSION}")
set(CPACK_NSIS_PACKAGE_NAME "RT3180 SPI Interface")
set(CPACK_NSIS_INSTALLED_ICON_NAME "bin\\\\rt3180.exe")
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/res/rt3180.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/res/rt3180.ico)
set(CPACK_NSIS_URL_INFO_ABOUT https://www.example.com/rt3180)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
include(CPack)
