# What a Qt program needs beside it on Windows, as windeployqt would copy it: the Qt
# DLLs, the MinGW runtime DLLs those DLLs were built against, the platform plugin under
# platforms/ and the style plugins under styles/.
#
# The build tree gets them in bin/ (target qt-windows-runtime), so that the console,
# the tour and the tests run from there under Wine; bin/ also gets the offscreen
# platform, which the tests ask for. The portable zip (Package.cmake) takes the
# Windows platform and the style plugins from SATCONSOLE_WINDOWS_PLUGINS and finds the
# DLLs by reading what the programs and plugins import.

# The plugins Qt's own packages found, by type: the Windows platform and every style
# plugin Widgets knows (the native look).
get_target_property(satconsole_qt_widgets_plugins Qt6::Widgets _qt_plugins)
set(SATCONSOLE_WINDOWS_STYLE_PLUGINS "")
foreach(plugin IN LISTS satconsole_qt_widgets_plugins)
    if(TARGET Qt6::${plugin})
        get_target_property(tipo Qt6::${plugin} QT_PLUGIN_TYPE)
        if(tipo STREQUAL "styles")
            list(APPEND SATCONSOLE_WINDOWS_STYLE_PLUGINS Qt6::${plugin})
        endif()
    endif()
endforeach()
set(SATCONSOLE_WINDOWS_PLATFORM_PLUGIN Qt6::QWindowsIntegrationPlugin)
message(STATUS "Qt plugins for Windows: ${SATCONSOLE_WINDOWS_PLATFORM_PLUGIN};${SATCONSOLE_WINDOWS_STYLE_PLUGINS}")

# The folders the MinGW runtime DLLs are in, asked of the compiler itself.
set(SATCONSOLE_MINGW_RUNTIME_DIRS "")
foreach(dll libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll)
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                    OUTPUT_VARIABLE arquivo OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${arquivo}" OR NOT EXISTS "${arquivo}")
        message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not know where ${dll} is")
    endif()
    get_filename_component(pasta "${arquivo}" DIRECTORY)
    get_filename_component(pasta "${pasta}" REALPATH)
    list(APPEND SATCONSOLE_MINGW_RUNTIME_DIRS "${pasta}")
    list(APPEND satconsole_mingw_runtime "${arquivo}")
endforeach()
list(REMOVE_DUPLICATES SATCONSOLE_MINGW_RUNTIME_DIRS)
get_target_property(satconsole_qt_core_dll Qt6::Core IMPORTED_LOCATION_RELEASE)
get_filename_component(SATCONSOLE_QT_BIN_DIR "${satconsole_qt_core_dll}" DIRECTORY)

# The build tree's bin/: Qt's DLLs the programs link, the runtime they need, and the
# plugins in their folders.
set(satconsole_bin ${PROJECT_BINARY_DIR}/bin)
set(copias "")
set(modulos Qt6::Core Qt6::Gui Qt6::Widgets)
if(BUILD_TESTING)
    find_package(Qt6 REQUIRED COMPONENTS Test)
    list(APPEND modulos Qt6::Test)
endif()
foreach(alvo IN LISTS modulos)
    list(APPEND copias COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${alvo}> ${satconsole_bin})
endforeach()
foreach(arquivo IN LISTS satconsole_mingw_runtime)
    list(APPEND copias COMMAND ${CMAKE_COMMAND} -E copy_if_different ${arquivo} ${satconsole_bin})
endforeach()
list(APPEND copias COMMAND ${CMAKE_COMMAND} -E make_directory ${satconsole_bin}/platforms ${satconsole_bin}/styles)
foreach(plugin ${SATCONSOLE_WINDOWS_PLATFORM_PLUGIN} Qt6::QOffscreenIntegrationPlugin)
    list(APPEND copias COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${plugin}> ${satconsole_bin}/platforms)
endforeach()
foreach(plugin IN LISTS SATCONSOLE_WINDOWS_STYLE_PLUGINS)
    list(APPEND copias COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${plugin}> ${satconsole_bin}/styles)
endforeach()
# The offscreen platform, which the tests ask for, reads its fonts from lib/fonts
# under Qt's prefix (bin/ here): Debian's Liberation fonts, with Tahoma's and Lucida
# Console's widths, stand in for the system's.
if(BUILD_TESTING)
    list(APPEND copias COMMAND ${CMAKE_COMMAND} -E make_directory ${satconsole_bin}/lib/fonts)
    foreach(fonte LiberationSans-Regular.ttf LiberationSans-Bold.ttf LiberationMono-Regular.ttf)
        find_file(SATCONSOLE_FONTE_${fonte} ${fonte} PATHS /usr/share/fonts/truetype/liberation2
                  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH REQUIRED)
        list(APPEND copias COMMAND ${CMAKE_COMMAND} -E copy_if_different ${SATCONSOLE_FONTE_${fonte}}
             ${satconsole_bin}/lib/fonts)
    endforeach()
endif()
add_custom_target(qt-windows-runtime ALL ${copias} COMMENT "Copying Qt and the MinGW runtime into bin/" VERBATIM)
