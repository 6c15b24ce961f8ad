# Clang with LLVM's C++ library libc++, the compiler and library of macOS, on Linux
# (clang, libc++-dev, libc++abi-dev). Debian's GoogleTest library is built against
# libstdc++, so tests build GoogleTest from its source:
#   cmake -S . -B build-clang -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/clang-libcxx.cmake \
#         -DMORVIT_GTEST_SOURCE=/usr/src/googletest
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_FLAGS_INIT -stdlib=libc++)
set(CMAKE_EXE_LINKER_FLAGS_INIT -stdlib=libc++)
