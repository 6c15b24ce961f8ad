# `cmake --build <build> --target package` (CPack): a .tar.gz and a .deb on Linux, a .zip on
# Windows, each holding the program, the documentation, the examples with their reports, the
# licence and README-first.txt (and on Linux the manual page). Which install components go
# into which package is decided per package format in PackagingPerFormat.cmake.
set(CPACK_PACKAGE_NAME morvit)
set(CPACK_PACKAGE_VENDOR "The MORVIT developers")
set(CPACK_PACKAGE_CONTACT "The MORVIT developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Batch statistics for fuzzy-set analysis: necessity and sufficiency tests")
set(CPACK_PACKAGE_DESCRIPTION
    "MORVIT reads a command file with the membership scores of cases in an outcome and in up to ten factors and tests for every factor and every combination of two to six factors whether it is necessary, sufficient or both for the outcome. It writes a fixed-column report.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackagingPerFormat.cmake)
# Read back by PackagingPerFormat.cmake, which CPack runs outside this project.
set(CPACK_MORVIT_BINARY_DIR ${PROJECT_BINARY_DIR})

# The processor in the file names: packages for x86-64 and arm64 come from the same sources.
string(TOLOWER "${CMAKE_SYSTEM_PROCESSOR}" morvit_processor)
if(morvit_processor MATCHES "^(x86_64|amd64)$")
  set(morvit_processor x86_64)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
elseif(morvit_processor MATCHES "^(aarch64|arm64)$")
  set(morvit_processor arm64)
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
endif()

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-${morvit_processor})
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${morvit_processor})
  string(TOLOWER "${CPACK_SYSTEM_NAME}" CPACK_SYSTEM_NAME)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION science)
  # The libraries the program links, with the versions that the running system must have,
  # found by dpkg-shlibdeps; a cross build (no target libraries registered) names them plainly.
  find_program(MORVIT_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(MORVIT_DPKG_SHLIBDEPS AND NOT CMAKE_CROSSCOMPILING)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
  endif()
endif()

include(CPack)

# The program of each package, relative to the package's top folder: the package test
# runs it on an example from the package.
if(WIN32)
  set(MORVIT_PACKAGE_PROGRAMS "ZIP=morvit.exe")
else()
  set(MORVIT_PACKAGE_PROGRAMS "TGZ=${CMAKE_INSTALL_BINDIR}/morvit" "DEB=usr/${CMAKE_INSTALL_BINDIR}/morvit")
endif()
