# The portable zip for Windows: `cpack -G ZIP` (in the build folder) packs one flat
# folder, ativacao-sat-VERSION-windows-x86_64, with all that runs the console and
# nothing else: the console, its command line, its library helper, the emulated device under the name the
# console loads, the Qt DLLs and the MinGW runtime DLLs they were built against, the
# Windows platform plugin under platforms/ and the style plugins under styles/ (what
# windeployqt would copy). The DLLs are not listed here: they are what the programs and
# the plugins import, read from their import tables at install time and looked for in
# Qt's bin folder and the compiler's runtime folders (WindowsDeploy.cmake).

install(TARGETS ativacao-sat ativacao-sat-cli sat-host RUNTIME DESTINATION .)
# The 32-bit helper, for a maker's 32-bit SAT.DLL, when the 32-bit build gave one.
if(TARGET sat-host32)
    install(PROGRAMS ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/sat-host32.exe DESTINATION .)
endif()
install(IMPORTED_RUNTIME_ARTIFACTS ${SATCONSOLE_WINDOWS_PLATFORM_PLUGIN} LIBRARY DESTINATION platforms)
foreach(plugin IN LISTS SATCONSOLE_WINDOWS_STYLE_PLUGINS)
    install(IMPORTED_RUNTIME_ARTIFACTS ${plugin} LIBRARY DESTINATION styles)
endforeach()
# Only Qt's and the compiler's DLLs travel; the system's own (KERNEL32, USER32, the
# api-ms-win sets...) are Windows'.
set(satconsole_importadores $<TARGET_FILE:ativacao-sat> $<TARGET_FILE:ativacao-sat-cli>
    $<TARGET_FILE:sat-host> $<TARGET_FILE:${SATCONSOLE_WINDOWS_PLATFORM_PLUGIN}>)
foreach(plugin IN LISTS SATCONSOLE_WINDOWS_STYLE_PLUGINS)
    list(APPEND satconsole_importadores $<TARGET_FILE:${plugin}>)
endforeach()
install(CODE "
    set(OBJDUMP \"${CMAKE_OBJDUMP}\")
    set(STRIP \"${CMAKE_STRIP}\")
    set(PASTAS \"${SATCONSOLE_QT_BIN_DIR};${SATCONSOLE_MINGW_RUNTIME_DIRS}\")
    set(ARQUIVOS \"${satconsole_importadores}\")
    set(DESTINO \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    include(\"${PROJECT_SOURCE_DIR}/cmake/WindowsDlls.cmake\")
")

# The emulated device under the name the console loads (it carries its own runtime).
include(${PROJECT_SOURCE_DIR}/cmake/PackageDevice.cmake)
satconsole_install_device()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ativacao-sat)
set(CPACK_PACKAGE_VENDOR "ativacao-sat")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SAT activation console with the emulated SAT device")
set(CPACK_PACKAGE_FILE_NAME "ativacao-sat-${PROJECT_VERSION}-windows-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
# The installer, from the same rules, when makensis is there.
include(${PROJECT_SOURCE_DIR}/cmake/InstallerWindows.cmake)
include(CPack)
