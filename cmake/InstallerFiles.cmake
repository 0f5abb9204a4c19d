# Run by cpack after it staged the package and before makensis (CPACK_PRE_BUILD_SCRIPTS,
# from InstallerWindows.cmake): writes arquivos.nsh beside the installer's script, with
# what the install rules put in the package, as the zip holds it:
#   SATCONSOLE_INSTALAR_ARQUIVOS  a macro that installs every file in its folder;
#   SATCONSOLE_REMOVER_ARQUIVOS   a macro that removes exactly those, and their folders
#                                 when nothing else is left in them;
#   SATCONSOLE_SATEMU             the emulated device, staged as SAT_x64.DLL, which the
#                                 installer puts in place only where no maker's library is.
cmake_minimum_required(VERSION 3.25)
if(NOT CPACK_GENERATOR STREQUAL "NSIS")
    return()
endif()
set(raiz "${CPACK_TEMPORARY_DIRECTORY}")
file(GLOB_RECURSE arquivos LIST_DIRECTORIES false RELATIVE "${raiz}" "${raiz}/*")
list(SORT arquivos)
if(NOT "ativacao-sat.exe" IN_LIST arquivos OR NOT "SAT_x64.DLL" IN_LIST arquivos)
    message(FATAL_ERROR "The staged package in ${raiz} has no ativacao-sat.exe or SAT_x64.DLL: ${arquivos}")
endif()
list(REMOVE_ITEM arquivos "SAT_x64.DLL")

set(instalar "!macro SATCONSOLE_INSTALAR_ARQUIVOS\n")
set(remover "!macro SATCONSOLE_REMOVER_ARQUIVOS\n")
set(pastas "")
set(pasta_atual "-")
foreach(arquivo IN LISTS arquivos)
    get_filename_component(pasta "${arquivo}" DIRECTORY)
    string(REPLACE "/" "\\" janelas "${arquivo}")
    if(NOT pasta STREQUAL pasta_atual)
        set(pasta_atual "${pasta}")
        if(pasta STREQUAL "")
            string(APPEND instalar "  SetOutPath \"$INSTDIR\"\n")
        else()
            string(REPLACE "/" "\\" pasta_janelas "${pasta}")
            string(APPEND instalar "  SetOutPath \"$INSTDIR\\${pasta_janelas}\"\n")
            list(APPEND pastas "${pasta}")
        endif()
    endif()
    string(APPEND instalar "  File \"${raiz}/${arquivo}\"\n")
    string(APPEND remover "  Delete \"$INSTDIR\\${janelas}\"\n")
endforeach()
# The deepest folders first; each only when empty (RMDir without /r).
list(REMOVE_DUPLICATES pastas)
list(SORT pastas ORDER DESCENDING)
foreach(pasta IN LISTS pastas)
    string(REPLACE "/" "\\" pasta_janelas "${pasta}")
    string(APPEND remover "  RMDir \"$INSTDIR\\${pasta_janelas}\"\n")
endforeach()
string(APPEND instalar "  SetOutPath \"$INSTDIR\"\n!macroend\n")
string(APPEND remover "!macroend\n")
file(WRITE "${CPACK_TOPLEVEL_DIRECTORY}/arquivos.nsh"
     "; Written by cmake/InstallerFiles.cmake from ${raiz}\n"
     "!define SATCONSOLE_SATEMU \"${raiz}/SAT_x64.DLL\"\n${instalar}${remover}")
list(LENGTH arquivos quantos)
message(STATUS "Installer: ${quantos} files and the emulated device, from ${raiz}")
