# satconsole_warnings(target): the project's warning set, errors with SATCONSOLE_WERROR.
function(satconsole_warnings target)
    if(MSVC)
        target_compile_options(${target} PRIVATE /W4 $<$<BOOL:${SATCONSOLE_WERROR}>:/WX>)
    else()
        target_compile_options(${target} PRIVATE
            -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
            -Wcast-align -Woverloaded-virtual -Wconversion
            -Wnull-dereference -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough
            $<$<BOOL:${SATCONSOLE_WERROR}>:-Werror>)
    endif()
endfunction()
