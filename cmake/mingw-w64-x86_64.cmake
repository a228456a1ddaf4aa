# Cross build for 64-bit Windows with Debian's MinGW-w64.
#
#   cmake --preset windows      (or -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake)
#
# The -posix compilers: the default -win32 variant of GCC 12 has no std::thread
# or std::mutex. Programs and DLLs are linked with -static so that they need no
# libgcc, libstdc++ or libwinpthread DLL at run time (under Wine a missing one
# is a silent exit code 53).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VEK_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${VEK_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VEK_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER  ${VEK_MINGW_TRIPLET}-windres)
set(CMAKE_AR           ${VEK_MINGW_TRIPLET}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB       ${VEK_MINGW_TRIPLET}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${VEK_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Line tables only: enough for Wine's crash backtraces, and much quicker to
# build than full debug information.
set(CMAKE_C_FLAGS_RELWITHDEBINFO_INIT   "-O2 -g1 -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO_INIT "-O2 -g1 -DNDEBUG")

set(CMAKE_EXE_LINKER_FLAGS_INIT    "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# ctest, add_test() with a target as command, and the test discovery run .exe
# files through this wrapper: it runs them under Wine in the build tree's own
# prefix (see the script's header).
get_filename_component(_vek_source_dir "${CMAKE_CURRENT_LIST_DIR}/.." ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_vek_source_dir}/scripts/wine-run")
