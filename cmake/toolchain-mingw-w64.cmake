# Cross-building for 64-bit Windows with MinGW-w64 (Debian's posix thread
# model, for std::thread and std::mutex), run under Wine by ctest:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw-w64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(RT3180_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${RT3180_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${RT3180_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${RT3180_MINGW}-windres)

# Search the MinGW tree for libraries and headers, never the host's; programs
# (the tools of the build) come from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${RT3180_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One .exe with no DLL beside it: libgcc, libstdc++ and winpthread linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# ctest runs the test programs under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run)
