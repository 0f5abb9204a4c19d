# SATCONSOLE_FUZZ: every target of the tree gets libFuzzer's coverage hooks and the
# address and undefined-behaviour checks; the fuzzers of fuzz/ add libFuzzer's main.
# Undefined behaviour aborts, so the fuzzer keeps the input as a crash.
if(SATCONSOLE_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "SATCONSOLE_FUZZ needs clang (libFuzzer): configure a tree of its own "
                            "with -DCMAKE_CXX_COMPILER=clang++-14, as scripts/fuzz.sh does")
    endif()
    if(SATCONSOLE_SANITIZE)
        message(FATAL_ERROR "SATCONSOLE_FUZZ already builds with the sanitizers: leave SATCONSOLE_SANITIZE off")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()
