# The ladder of src/: each folder includes only from folders below it. Run by CTest as
# `cmake -DFONTES=<src> -P Ladder.cmake`; it fails naming every include that points up
# the ladder or across to a sibling (two folders on the same step stay apart).
#
#   platform → sat → settings, validation → core → operations → widgets → dialogs → pages → app | cli
#   (host, the library helper, stands beside settings: platform and sat only)
set(degraus
    platform 0
    sat 1
    host 2 settings 2 validation 2
    core 3
    operations 4
    widgets 5
    dialogs 6
    pages 7
    app 8 cli 8)

if(NOT FONTES)
    message(FATAL_ERROR "usage: cmake -DFONTES=<folder of the sources> -P Ladder.cmake")
endif()

get_filename_component(FONTES "${FONTES}" ABSOLUTE)
list(LENGTH degraus n)
math(EXPR ultimo "${n} - 1")
foreach(i RANGE 0 ${ultimo} 2)
    math(EXPR j "${i} + 1")
    list(GET degraus ${i} pasta)
    list(GET degraus ${j} degrau)
    set(degrau_${pasta} ${degrau})
endforeach()

file(GLOB_RECURSE arquivos RELATIVE ${FONTES} ${FONTES}/*.h ${FONTES}/*.cpp)
set(violacoes 0)
foreach(arquivo IN LISTS arquivos)
    string(REGEX MATCH "^[^/]+" pasta "${arquivo}")
    if(NOT DEFINED degrau_${pasta})
        message(SEND_ERROR "${arquivo}: the folder ${pasta} has no step on the ladder")
        math(EXPR violacoes "${violacoes} + 1")
        continue()
    endif()
    file(STRINGS ${FONTES}/${arquivo} inclusoes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^/\"]+/")
    foreach(inclusao IN LISTS inclusoes)
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^/\"]+)/.*" "\\1" alvo "${inclusao}")
        if(alvo STREQUAL pasta)
            continue()
        endif()
        if(NOT DEFINED degrau_${alvo})
            continue() # not one of ours (none today; a library's own folders)
        endif()
        if(NOT degrau_${alvo} LESS degrau_${pasta})
            message(SEND_ERROR "${arquivo}: ${inclusao} points up the ladder (${pasta} is below ${alvo} or beside it)")
            math(EXPR violacoes "${violacoes} + 1")
        endif()
    endforeach()
endforeach()
if(violacoes GREATER 0)
    message(FATAL_ERROR "${violacoes} include(s) against the ladder")
endif()
list(LENGTH arquivos total)
message(STATUS "${total} files, every include down the ladder")
