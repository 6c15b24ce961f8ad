# Read by CPack once for each package format (CPACK_GENERATOR names the current one).
#
# An archive carries README-first.txt and LICENSE at its top (component "archive_top");
# the Debian package and the Windows zip (where the documentation directory is the top)
# take them from the documentation directory (component "notes").
if(CPACK_GENERATOR STREQUAL "TGZ")
  set(morvit_components program archive_top)
else()
  set(morvit_components program notes)
endif()
set(CPACK_INSTALL_CMAKE_PROJECTS)
foreach(component ${morvit_components})
  list(APPEND CPACK_INSTALL_CMAKE_PROJECTS ${CPACK_MORVIT_BINARY_DIR} morvit ${component} /)
endforeach()
