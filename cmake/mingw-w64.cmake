# Cross-builds the Windows programs on Linux with mingw-w64 (the POSIX
# threads flavour: std::thread needs it). Everything is linked statically so
# that sv.exe and sv-cli.exe run without any DLL beside them.
#
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SV_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SV_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SV_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${SV_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${SV_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static also pulls in libwinpthread, which std::thread uses.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Shipped programs without their symbols: less than half the size.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")
