if(SATCONSOLE_SANITIZE AND NOT MSVC)
    # Applied to every target, the emulated device included, so that a bad access
    # across the library boundary is caught on either side.
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()
