# The portable folder: `cmake --install <build> --prefix DIR` fills DIR with all that
# runs the console, and `cpack -G TGZ` (in the build folder) packs that folder as a
# .tar.gz. Everything sits in one flat folder, because the console loads SAT_x64.DLL
# and starts its library helper from its own folder, and keeps ConfRede.xml, CFe.xml
# (and, through the launcher, Parametros.xml) there; the emulated device keeps its
# state beside itself too. Qt comes from the system.

# Whatever the build links beside the programs is found from their own folder,
# wherever it was unpacked.
set_target_properties(ativacao-sat ativacao-sat-cli sat-host PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS ativacao-sat ativacao-sat-cli sat-host RUNTIME DESTINATION .)

# The emulated device under the name the console loads. A copy, not the build's link:
# a link to a file that is not there is no library, and folders copied to removable
# disks often cannot hold links. (Its version, which Linux reads from the name a link
# points to, is therefore not shown on the first page.)
include(${PROJECT_SOURCE_DIR}/cmake/PackageDevice.cmake)
satconsole_install_device()

# The launcher that starts the console from its folder, the desktop entry that calls
# it, and the entry's icon.
install(PROGRAMS ${PROJECT_SOURCE_DIR}/packaging/ativacao-sat.sh DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/ativacao-sat.desktop DESTINATION .
        PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
install(FILES ${PROJECT_SOURCE_DIR}/resources/sat.png DESTINATION . RENAME ativacao-sat.png)

set(CPACK_GENERATOR TGZ)
set(CPACK_PACKAGE_NAME ativacao-sat)
set(CPACK_PACKAGE_VENDOR "ativacao-sat")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SAT activation console with the emulated SAT device")
set(CPACK_PACKAGE_FILE_NAME "ativacao-sat-${PROJECT_VERSION}-linux-${CMAKE_SYSTEM_PROCESSOR}")
# The archive holds one folder of that name.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
