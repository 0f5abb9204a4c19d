# Read by cpack once per generator (CPACK_PROJECT_CONFIG_FILE): the installer is
# named for what it is, beside the zip of the same version.
if(CPACK_GENERATOR STREQUAL "NSIS")
    set(CPACK_PACKAGE_FILE_NAME "${CPACK_PACKAGE_FILE_NAME}-setup")
endif()
