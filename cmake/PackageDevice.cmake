# The emulated device in the portable folder, as both packages (Package.cmake,
# PackageWindows.cmake) install it: under the name the console loads, and stripped with
# the programs (`cmake --install --strip`, and CPack), which install(FILES) alone would
# not do.
function(satconsole_install_device)
    install(FILES $<TARGET_FILE:satemu> DESTINATION . RENAME SAT_x64.DLL)
    install(CODE "set(SATCONSOLE_STRIP \"${CMAKE_STRIP}\")")
    install(CODE [[
        if(CMAKE_INSTALL_DO_STRIP AND SATCONSOLE_STRIP)
            execute_process(COMMAND "${SATCONSOLE_STRIP}" "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/SAT_x64.DLL"
                            RESULT_VARIABLE resultado)
            if(NOT resultado EQUAL 0)
                message(FATAL_ERROR "could not strip SAT_x64.DLL")
            endif()
        endif()
    ]])
endfunction()
