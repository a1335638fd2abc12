# Warning and sanitizer flags shared by every target of the project. Kept in an interface
# target so that nothing leaks into the flags of projects that consume the installed package.
add_library(orvel_compiler_options INTERFACE)
target_compile_options(orvel_compiler_options INTERFACE -Wall -Wextra -Wpedantic)
if(ORVEL_WERROR)
    target_compile_options(orvel_compiler_options INTERFACE -Werror)
endif()
if(QT_VERSION_MAJOR EQUAL 5)
    # Turns most APIs that Qt 6 removed into compile errors, so the Qt 5 build guards the port.
    target_compile_definitions(orvel_compiler_options INTERFACE QT_DISABLE_DEPRECATED_BEFORE=0x050F00)
endif()
target_compile_definitions(orvel_compiler_options INTERFACE QT_NO_KEYWORDS)
if(ORVEL_SANITIZE)
    target_compile_options(orvel_compiler_options INTERFACE -fsanitize=address,undefined
                                                            -fno-sanitize-recover=all
                                                            -fno-omit-frame-pointer)
    target_link_options(orvel_compiler_options INTERFACE -fsanitize=address,undefined)
endif()
if(ORVEL_BUILD_FUZZ)
    # Coverage feedback for libFuzzer in every object; only the fuzz targets link the fuzzer.
    target_compile_options(orvel_compiler_options INTERFACE -fsanitize=fuzzer-no-link)
endif()
