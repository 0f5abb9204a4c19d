# Run at install time (PackageWindows.cmake): copies into DESTINO the DLLs the given
# Windows programs and plugins import, directly or through one another, that are found
# in the given folders (Qt's bin, the compiler's runtime), by reading their import
# tables with MinGW's objdump. DLLs found in none of them are the system's own.
# CMake's file(GET_RUNTIME_DEPENDENCIES) cannot serve here: for PE files it lowercases
# the names it looks for, and a Linux file system does not find "qt6core.dll" as
# "Qt6Core.dll".
#   OBJDUMP, STRIP, PASTAS (list), ARQUIVOS (list), DESTINO
cmake_minimum_required(VERSION 3.25)

# Every DLL in the folders, by its lowercase name.
set(conhecidos "")
foreach(pasta IN LISTS PASTAS)
    file(GLOB dlls LIST_DIRECTORIES false "${pasta}/*.dll")
    foreach(dll IN LISTS dlls)
        get_filename_component(nome "${dll}" NAME)
        string(TOLOWER "${nome}" chave)
        if(NOT DEFINED local_${chave})
            set(local_${chave} "${dll}")
        endif()
    endforeach()
endforeach()

set(pendentes ${ARQUIVOS})
set(vistos "")
set(copiar "")
while(pendentes)
    list(POP_FRONT pendentes arquivo)
    execute_process(COMMAND "${OBJDUMP}" -p "${arquivo}" OUTPUT_VARIABLE tabela RESULT_VARIABLE resultado)
    if(NOT resultado EQUAL 0)
        message(FATAL_ERROR "${OBJDUMP} could not read ${arquivo}")
    endif()
    string(REGEX MATCHALL "DLL Name: [^\r\n]+" importados "${tabela}")
    foreach(linha IN LISTS importados)
        string(REGEX REPLACE "^DLL Name: " "" nome "${linha}")
        string(STRIP "${nome}" nome)
        string(TOLOWER "${nome}" chave)
        if(chave IN_LIST vistos)
            continue()
        endif()
        list(APPEND vistos "${chave}")
        if(DEFINED local_${chave})
            list(APPEND copiar "${local_${chave}}")
            list(APPEND pendentes "${local_${chave}}")
        endif()
    endforeach()
endwhile()

list(SORT copiar)
foreach(dll IN LISTS copiar)
    message(STATUS "DLL imported: ${dll}")
endforeach()
file(INSTALL DESTINATION "${DESTINO}" TYPE SHARED_LIBRARY FILES ${copiar})
# Stripped with the programs (cmake --install --strip, and CPack): the compiler's
# runtime DLLs come with their debugging sections.
if(CMAKE_INSTALL_DO_STRIP AND STRIP)
    foreach(dll IN LISTS copiar)
        get_filename_component(nome "${dll}" NAME)
        execute_process(COMMAND "${STRIP}" --strip-unneeded "${DESTINO}/${nome}" RESULT_VARIABLE resultado)
        if(NOT resultado EQUAL 0)
            message(FATAL_ERROR "could not strip ${nome}")
        endif()
    endforeach()
endif()
