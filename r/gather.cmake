# Gathers the R package from the project's own files into one folder, ready for R CMD build:
#
#   cmake -DSOURCE_DIR=TOP -DPACKAGE_DIR=DIR -DMORVIT=PROGRAM -DBUILD_DIR=BUILD -P r/gather.cmake
#
# (`make r-package` runs it and then R CMD build.) DIR receives the package of r/ (its R
# code, help pages, tests and the C++ calls of src/), the C++ sources of the rooms below in
# src/, each room in its folder as in the tree, the generated page assets, src/Makevars.in
# and src/Makevars.win.in with the objects to compile, Rcpp's registration code, and what
# the package's tests compare with: the stored conformance cases, the data sets, and the
# outputs of the command line PROGRAM for the data sets. Nothing of it is kept in the tree.
cmake_minimum_required(VERSION 3.25)

# The rooms whose sources the package compiles (the rooms below the front doors): every
# .cpp and .h of each. A room that does not exist is passed over.
set(rooms exchange exchange/input exchange/output driver analysis measures distributions recordio system limits)
# The operating system has one implementation per system: Makevars (POSIX systems) and
# Makevars.win (Windows) each compile one of them, wherever its room is.
set(posix_only platform_posix.cpp)
set(windows_only platform_windows.cpp)

foreach(variable SOURCE_DIR PACKAGE_DIR MORVIT BUILD_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "gather.cmake needs -D${variable}=...")
  endif()
endforeach()

file(STRINGS "${SOURCE_DIR}/CMakeLists.txt" project_line REGEX "^project\\(morvit VERSION [0-9.]+")
string(REGEX REPLACE "^project\\(morvit VERSION ([0-9.]+).*$" "\\1" VERSION "${project_line}")
if(NOT VERSION)
  message(FATAL_ERROR "no version in ${SOURCE_DIR}/CMakeLists.txt")
endif()

set(src "${PACKAGE_DIR}/src")
file(REMOVE_RECURSE "${PACKAGE_DIR}")
file(MAKE_DIRECTORY "${PACKAGE_DIR}")
file(COPY "${SOURCE_DIR}/r/" DESTINATION "${PACKAGE_DIR}" PATTERN gather.cmake EXCLUDE PATTERN DESCRIPTION.in EXCLUDE)
configure_file("${SOURCE_DIR}/r/DESCRIPTION.in" "${PACKAGE_DIR}/DESCRIPTION" @ONLY)

# The package's own calls first, then Rcpp's registration code (made below), then the rooms.
file(GLOB glue RELATIVE "${SOURCE_DIR}/r/src" "${SOURCE_DIR}/r/src/*.cpp")
set(objects ${glue} RcppExports.cpp)
foreach(room ${rooms})
  if(NOT IS_DIRECTORY "${SOURCE_DIR}/${room}")
    continue()
  endif()
  file(GLOB files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${room}/*.cpp" "${SOURCE_DIR}/${room}/*.h")
  foreach(file ${files})
    get_filename_component(folder "${file}" DIRECTORY)
    file(COPY "${SOURCE_DIR}/${file}" DESTINATION "${src}/${folder}")
    if(file MATCHES "\\.cpp$")
      list(APPEND objects "${file}")
    endif()
  endforeach()
endforeach()

# The page's scripts and style sheet and its numbers module, embedded as the program's build
# embedded them: the generated sources of BUILD_DIR, the build of PROGRAM, so that the
# package's pages are the command line's byte for byte.
foreach(generated page_assets.cpp page_numbers_wasm.cpp)
  set(made "${BUILD_DIR}/exchange/output/${generated}")
  if(NOT EXISTS "${made}")
    message(FATAL_ERROR "${made} is missing: build the program in ${BUILD_DIR} first")
  endif()
  file(COPY "${made}" DESTINATION "${src}/exchange/output")
  list(APPEND objects exchange/output/${generated})
endforeach()

# Makevars.in and Makevars.win.in: configure (configure.win) puts the tested flags in.
function(write_makevars name excluded)
  set(list "")
  foreach(object ${objects})
    get_filename_component(file_name "${object}" NAME)
    if(NOT file_name IN_LIST excluded)
      string(REGEX REPLACE "\\.cpp$" ".o" object "${object}")
      string(APPEND list " \\\n  ${object}")
    endif()
  endforeach()
  file(WRITE "${src}/${name}"
       "# Made by r/gather.cmake from the project's rooms; configure writes the flags in.\n"
       "CXX_STD = CXX20\n"
       "PKG_CPPFLAGS = -I. -DNDEBUG -DMORVIT_HOSTED_BUILD\n"
       "PKG_CXXFLAGS = @MORVIT_FP_FLAGS@\n"
       "OBJECTS =${list}\n")
endfunction()
write_makevars(Makevars.in "${windows_only}")
write_makevars(Makevars.win.in "${posix_only}")

# The data of the help pages' examples: the CSV files of examples/data and a command file
# made from one of them, with its case names.
file(COPY "${SOURCE_DIR}/examples/data/" DESTINATION "${PACKAGE_DIR}/inst/extdata" FILES_MATCHING PATTERN "*.csv")
file(COPY "${SOURCE_DIR}/examples/lipset_democracy.cmd" "${SOURCE_DIR}/examples/lipset_democracy.cmd.cases"
     DESTINATION "${PACKAGE_DIR}/inst/extdata")

# The package's tests: the conformance cases (each case's case.json beside the files of its
# in/ folder, in cases/NAME: paths in a source package stay within 100 bytes), the data
# sets, and what the command line makes of each data set of tests/testthat/datasets.tsv.
set(testthat "${PACKAGE_DIR}/tests/testthat")
file(GLOB cases RELATIVE "${SOURCE_DIR}/tests/data/conformance/cases" "${SOURCE_DIR}/tests/data/conformance/cases/*")
foreach(case ${cases})
  set(stored "${SOURCE_DIR}/tests/data/conformance/cases/${case}")
  file(COPY "${stored}/case.json" DESTINATION "${testthat}/cases/${case}")
  if(IS_DIRECTORY "${stored}/in")
    file(COPY "${stored}/in/" DESTINATION "${testthat}/cases/${case}")
  endif()
endforeach()
file(COPY "${SOURCE_DIR}/tests/data/datasets/" DESTINATION "${testthat}/datasets" FILES_MATCHING PATTERN "*.csv")

set(work "${PACKAGE_DIR}/../command-line-outputs")
set(expected "${testthat}/expected")
file(REMOVE_RECURSE "${work}")
file(MAKE_DIRECTORY "${work}" "${expected}")
file(STRINGS "${testthat}/datasets.tsv" manifest)
list(POP_FRONT manifest)  # the header
foreach(line ${manifest})
  string(REPLACE "\t" ";" fields "${line}")
  list(LENGTH fields count)
  if(NOT count EQUAL 10)
    message(FATAL_ERROR "datasets.tsv: 10 fields a line, not: ${line}")
  endif()
  list(GET fields 0 name)
  list(GET fields 1 data)
  list(GET fields 2 outcome)
  list(GET fields 3 conditions)
  set(arguments --make-command-file ${name}.csv --outcome ${outcome} --factors ${conditions})
  # The optional fields, "-" when not given: each an option of the maker.
  foreach(option IN ITEMS 4:cases 5:weights 6:mer 7:dam 8:title)
    string(REPLACE ":" ";" option "${option}")
    list(GET option 0 index)
    list(GET option 1 word)
    list(GET fields ${index} value)
    if(NOT value STREQUAL "-")
      list(APPEND arguments --${word} "${value}")
    endif()
  endforeach()
  list(GET fields 9 calibrate)
  if(NOT calibrate STREQUAL "-")
    string(REPLACE " " ";" calibrations "${calibrate}")
    foreach(calibration ${calibrations})
      list(APPEND arguments --calibrate ${calibration})
    endforeach()
  endif()
  configure_file("${SOURCE_DIR}/tests/data/datasets/${data}" "${work}/${name}.csv" COPYONLY)
  execute_process(COMMAND "${MORVIT}" ${arguments} -o ${name}.cmd WORKING_DIRECTORY "${work}"
                  COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND "${MORVIT}" --table-csv ${name}.table.csv --cases-csv ${name}.cases.csv --html ${name}.html
                          ${name}.cmd
                  WORKING_DIRECTORY "${work}" OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  foreach(output ${name}.cmd ${name}.cmd.cases ${name}.table.csv ${name}.cases.csv ${name}.html)
    configure_file("${work}/${output}" "${expected}/${output}" COPYONLY)
  endforeach()
  configure_file("${work}/morvit.out" "${expected}/${name}.morvit.out" COPYONLY)
endforeach()

# Rcpp's registration of the calls of src/ (R/RcppExports.R, src/RcppExports.cpp).
find_program(RSCRIPT Rscript REQUIRED)
execute_process(COMMAND "${RSCRIPT}" -e "Rcpp::compileAttributes('${PACKAGE_DIR}')" COMMAND_ERROR_IS_FATAL ANY)
