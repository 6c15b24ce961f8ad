# GoogleTest built from its source tree MORVIT_GTEST_SOURCE (Debian's googletest package
# puts it in /usr/src/googletest) with the compiler and C++ library of this build. Its
# code gets the floating-point options of the project but not the project's warnings.
get_directory_property(morvit_compile_options COMPILE_OPTIONS)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${MORVIT_FLOATING_POINT_OPTIONS}")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${MORVIT_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
set_directory_properties(PROPERTIES COMPILE_OPTIONS "${morvit_compile_options}")
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
