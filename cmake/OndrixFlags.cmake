# One interface target carries the language standard, the warnings and the sanitizer
# flags; every target of the project links it.
add_library(ondrix_flags INTERFACE)
target_compile_features(ondrix_flags INTERFACE cxx_std_20)
target_compile_options(ondrix_flags INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual)
if(ONDRIX_WERROR)
    target_compile_options(ondrix_flags INTERFACE -Werror)
endif()
if(ONDRIX_SANITIZE)
    target_compile_options(ondrix_flags INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=undefined)
    target_link_options(ondrix_flags INTERFACE -fsanitize=address,undefined)
endif()
if(ONDRIX_FUZZ)
    # Coverage for the fuzzer in every library; the fuzz targets link the fuzzer itself.
    target_compile_options(ondrix_flags INTERFACE -fsanitize=fuzzer-no-link)
endif()
