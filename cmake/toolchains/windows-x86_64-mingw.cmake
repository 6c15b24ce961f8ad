# Windows x86-64 programs built on Debian with MinGW-w64 (g++-mingw-w64-x86-64) and run
# under Wine (wine64). Tests need GoogleTest built for the target from its source:
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/windows-x86_64-mingw.cmake \
#         -DMORVIT_GTEST_SOURCE=/usr/src/googletest
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

# The POSIX thread model gives std::thread and std::mutex their full C++ support.
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A program that runs from an unpacked zip: the C++ and thread runtime are linked in, so
# no MinGW library has to lie beside morvit.exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Test programs run under Wine with a Wine prefix of the build tree's own.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../run-under-wine.sh ${CMAKE_BINARY_DIR}/wine-prefix)
