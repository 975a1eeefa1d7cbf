# Builds padcalc.exe for 64-bit Windows on a Debian machine, with the MinGW-w64
# cross compiler (package g++-mingw-w64-x86-64-posix, which
# g++-mingw-w64-x86-64 brings):
#
#   cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
#   cmake --build build-win -j 2
#
# The compiler is the POSIX thread model one, not Debian's default win32 one:
# GoogleTest (1.12) uses std::mutex and std::condition_variable, which GCC 12
# has only in the POSIX model. The winpthreads library that model brings is
# linked in statically like the rest, so no DLL comes of it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_target x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_target}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_target}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_target}-windres)

# Headers and libraries come from the target's tree only; programs run at
# build time are the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_target})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One .exe that runs on a bare Windows: the C and C++ runtimes of GCC are
# linked in, so no libgcc_s or libstdc++ DLL has to travel with it. Only
# system DLLs (kernel32, msvcrt) are loaded.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# With Wine on the build machine, ctest runs the Windows tests through it.
if(NOT DEFINED CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(PADCALC_WINE NAMES wine64 wine)
  if(PADCALC_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${PADCALC_WINE})
  endif()
endif()
