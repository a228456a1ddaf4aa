# Project-wide compile options: warnings (clean, and errors in CI), sanitizers
# for the native debug build, and the helper every module uses to declare
# its tests.

option(VEK_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(VEK_WERROR "Treat warnings as errors" OFF)
option(VEK_CCACHE "Compile through ccache when it is installed" ON)

if(VEK_CCACHE)
  find_program(VEK_CCACHE_PROGRAM ccache)
  if(VEK_CCACHE_PROGRAM)
    set(CMAKE_C_COMPILER_LAUNCHER ${VEK_CCACHE_PROGRAM})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${VEK_CCACHE_PROGRAM})
  endif()
endif()

set(VEK_IS_WINDOWS FALSE)
if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  set(VEK_IS_WINDOWS TRUE)
endif()

add_library(vek_options INTERFACE)
# C and C++ only: resource scripts (.rc) go through windres, which takes
# neither warning nor sanitizer options.
set(_vek_cc "$<COMPILE_LANGUAGE:C,CXX>")
target_compile_options(vek_options INTERFACE
  "$<${_vek_cc}:-Wall;-Wextra;-Wpedantic;-Wshadow;-Wconversion;-Wno-sign-conversion>"
  "$<$<COMPILE_LANGUAGE:CXX>:-Wnon-virtual-dtor;-Wold-style-cast;-Woverloaded-virtual>"
  "$<${_vek_cc}:-Wcast-align;-Wnull-dereference;-Wdouble-promotion;-Wformat=2;-Wimplicit-fallthrough>")
# GCC 12 reports "literal" + std::string as overlapping copies (-Wrestrict) in
# optimised builds: a known false positive of that compiler inside libstdc++.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(vek_options INTERFACE "$<$<COMPILE_LANGUAGE:CXX>:-Wno-restrict>")
endif()
if(VEK_WERROR)
  target_compile_options(vek_options INTERFACE "$<${_vek_cc}:-Werror>")
endif()
if(VEK_SANITIZE)
  target_compile_options(vek_options INTERFACE
    "$<${_vek_cc}:-fsanitize=address,undefined;-fno-omit-frame-pointer;-fno-sanitize-recover=all>")
  target_link_options(vek_options INTERFACE -fsanitize=address,undefined)
endif()
if(VEK_IS_WINDOWS)
  # __USE_MINGW_ANSI_STDIO: the C99 printf family (%zu, %lld) instead of the
  # old msvcrt one, so that the same format strings work in both builds.
  target_compile_definitions(vek_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX
                                                   _WIN32_WINNT=0x0601 WINVER=0x0601
                                                   __USE_MINGW_ANSI_STDIO=1)
  # Programs and DLLs land in one folder, as they ship; test programs go to
  # testbin/ (cmake/VekTests.cmake) and find the DLLs through WINEPATH, which
  # scripts/wine-run points at bin/.
  set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  set(VEK_TEST_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testbin)
endif()

find_package(Threads REQUIRED)

# Fuzzing (clang only): every target gets coverage instrumentation (but the
# test-data generators of cmake/fuzz-coverage-ignore.txt) and the sanitizers;
# fuzz targets link libFuzzer themselves.
option(VEK_FUZZ "Build the libFuzzer targets (clang)" OFF)
if(VEK_FUZZ)
  target_compile_options(vek_options INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                -fno-omit-frame-pointer
                                                -fsanitize-coverage-ignorelist=${PROJECT_SOURCE_DIR}/cmake/fuzz-coverage-ignore.txt)
  target_link_options(vek_options INTERFACE -fsanitize=address,undefined)
endif()
