# Cross build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64). The -posix
# compilers are the ones whose C++ library has std::thread and std::mutex.
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DHOST_TOOLS_DIR=<native build>
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TARVELON_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TARVELON_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TARVELON_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TARVELON_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TARVELON_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Fully static: the programs need no DLL beside them (no libstdc++, libgcc or winpthread).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests run through wine on the build machine.
find_program(TARVELON_WINE wine)
if(TARVELON_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${TARVELON_WINE})
endif()
