# Where `cmake --install <build> --prefix <dir>` and the packages put MORVIT's files.
#
#   POSIX systems: <dir>/bin/morvit, <dir>/share/man/man1/morvit.1, and in
#     <dir>/share/doc/morvit: README-first.txt, LICENSE, docs/ (the guides in Markdown)
#     and examples/ (command files with their reports in examples/expected).
#   Windows: one folder with morvit.exe, README-first.txt, LICENSE, docs\ and examples\.
#
# The guides link to the examples as ../examples/..., so docs/ and examples/ stay side by side.
if(WIN32)
  set(CMAKE_INSTALL_BINDIR . CACHE PATH "Program directory (relative to the installation folder)")
  set(CMAKE_INSTALL_DOCDIR . CACHE PATH "Documentation directory (relative to the installation folder)")
endif()
include(GNUInstallDirs)

# The program itself is installed by app/ (component "program", set here as the default).
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME program)

if(NOT WIN32)
  set(MORVIT_INSTALL_MANUAL_PAGE ${CMAKE_INSTALL_MANDIR}/man1/morvit.1)
  install(FILES docs/morvit.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT program)
endif()

file(GLOB morvit_guides CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES ${morvit_guides} DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs COMPONENT program)
install(DIRECTORY examples/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples COMPONENT program
        PATTERN .gitattributes EXCLUDE)

# The notes to read first and the licence, in the documentation directory. An archive
# (the .tar.gz) carries them at its top instead, where its user looks first: component
# "archive_top", which only the packaging installs.
set(MORVIT_NOTES ${PROJECT_SOURCE_DIR}/packaging/README-first.txt ${PROJECT_SOURCE_DIR}/LICENSE ${PROJECT_SOURCE_DIR}/CITATION.cff)
install(FILES ${MORVIT_NOTES} DESTINATION ${CMAKE_INSTALL_DOCDIR} COMPONENT notes)
if(NOT WIN32)
  install(FILES ${MORVIT_NOTES} DESTINATION . COMPONENT archive_top EXCLUDE_FROM_ALL)
endif()
