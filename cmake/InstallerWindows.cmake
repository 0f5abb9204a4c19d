# The Windows installer: `cpack -G NSIS` (in the build folder) makes
# ativacao-sat-VERSION-windows-x86_64-setup.exe with Debian's makensis, from the same
# install rules as the zip (PackageWindows.cmake): whatever they put in the package, the
# installer installs and its uninstaller removes; nothing is listed here. The script is
# packaging/windows/NSIS.template.in (CPack's own template, replaced): a per-user
# install that needs no administrator, silent options for fleets, and the maker's
# library and the technician's files never touched (see the README).
# Included by PackageWindows.cmake before include(CPack).

# The console's icon, in the program (Explorer, the shortcuts, the window) and in the
# installer; made from resources/sat@2x.png.
set(SATCONSOLE_ICONE ${PROJECT_SOURCE_DIR}/packaging/windows/ativacao-sat.ico)
target_sources(ativacao-sat PRIVATE ${PROJECT_SOURCE_DIR}/packaging/windows/icone.rc)
set_property(SOURCE ${PROJECT_SOURCE_DIR}/packaging/windows/icone.rc APPEND PROPERTY OBJECT_DEPENDS ${SATCONSOLE_ICONE})

find_program(SATCONSOLE_MAKENSIS makensis)
if(NOT SATCONSOLE_MAKENSIS)
    message(STATUS "No makensis (Debian nsis): the Windows installer is not made")
    return()
endif()
list(APPEND CPACK_GENERATOR NSIS)
set(CPACK_NSIS_EXECUTABLE ${SATCONSOLE_MAKENSIS})
# Our template instead of CPack's: CPack looks for NSIS.template.in here first.
set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/packaging/windows)
# The lists of what to install and remove, read from the staged package after CPack
# installed it and before makensis runs.
list(APPEND CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/InstallerFiles.cmake)
# The installer's own name, beside the zip's.
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/CPackPerGenerator.cmake)
set(CPACK_NSIS_DISPLAY_NAME "Ativação SAT")
set(CPACK_NSIS_PACKAGE_NAME "Ativação SAT ${PROJECT_VERSION}")
set(CPACK_PACKAGE_INSTALL_DIRECTORY ativacao-sat)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY ativacao-sat)
set(CPACK_NSIS_MUI_ICON ${SATCONSOLE_ICONE})
set(CPACK_NSIS_MUI_UNIICON ${SATCONSOLE_ICONE})
# The four numbers of the programs' version resources (satconsole_version_resource).
set(CPACK_SATCONSOLE_VERSAO_NUMEROS "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(CPACK_SATCONSOLE_FONTES ${PROJECT_SOURCE_DIR})
