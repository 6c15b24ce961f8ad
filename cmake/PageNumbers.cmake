# page_numbers.wasm: F, P and the critical measurement error of a hypothesis row as the
# run forms them, compiled to WebAssembly from the program's own sources (web/page_numbers.cpp
# and the rooms it calls), for the HTML page that forms them again at another measurement
# error or level. The program embeds the module's bytes (exchange/output:
# page_numbers_wasm()), so that every page it writes can carry it.
#
#   -DMORVIT_PAGE_NUMBERS=AUTO   built when emcc is found (the default)
#   -DMORVIT_PAGE_NUMBERS=ON     emcc is required
#   -DMORVIT_PAGE_NUMBERS=OFF    never built; page_numbers_wasm() is empty
#
# In the WebAssembly build itself (emcmake, `make web`) the module is a target of that build
# (web/CMakeLists.txt). Any other build makes it in a WebAssembly build of its own, in
# page-numbers/ of its build tree, from the same sources and the same target.
#
# Defines MORVIT_PAGE_NUMBERS_FILE (the module, empty when it is not built) and
# MORVIT_PAGE_NUMBERS_TARGET (the target that makes it), and morvit_embed_page_numbers(),
# which gives a library the generated source with the module's bytes.

set(MORVIT_PAGE_NUMBERS AUTO CACHE STRING "Build page_numbers.wasm for the HTML page: AUTO (when emcc is found), ON, OFF")
set_property(CACHE MORVIT_PAGE_NUMBERS PROPERTY STRINGS AUTO ON OFF)

set(MORVIT_PAGE_NUMBERS_FILE "")
set(MORVIT_PAGE_NUMBERS_TARGET "")

if(MORVIT_PAGE_NUMBERS STREQUAL "OFF")
  message(STATUS "page_numbers.wasm: not built (MORVIT_PAGE_NUMBERS=OFF)")
elseif(EMSCRIPTEN)
  set(MORVIT_PAGE_NUMBERS_FILE ${CMAKE_BINARY_DIR}/page_numbers.wasm)
  set(MORVIT_PAGE_NUMBERS_TARGET page_numbers)
else()
  find_program(MORVIT_EMCC emcc)
  if(MORVIT_EMCC)
    get_filename_component(emscripten_bin ${MORVIT_EMCC} DIRECTORY)
    find_program(MORVIT_EMCMAKE emcmake HINTS ${emscripten_bin})
  endif()
  if(NOT MORVIT_EMCC OR NOT MORVIT_EMCMAKE)
    if(MORVIT_PAGE_NUMBERS STREQUAL "ON")
      message(FATAL_ERROR "MORVIT_PAGE_NUMBERS=ON, but emcc or emcmake was not found (Debian: apt-get install emscripten)")
    endif()
    message(STATUS "page_numbers.wasm: not built (no emcc); pages carry no numbers module")
  else()
    message(STATUS "page_numbers.wasm: built with ${MORVIT_EMCC}")
    include(ExternalProject)
    include(ProcessorCount)
    ProcessorCount(morvit_processors)
    if(morvit_processors EQUAL 0)
      set(morvit_processors 1)
    endif()
    # Emscripten's tools run on node and load acorn, which Debian keeps in /usr/share/nodejs;
    # a node installed from elsewhere does not look there by itself.
    set(morvit_node_path "$ENV{NODE_PATH}")
    if(NOT morvit_node_path AND EXISTS /usr/share/nodejs)
      set(morvit_node_path /usr/share/nodejs)
    endif()
    set(page_numbers_build ${CMAKE_BINARY_DIR}/page-numbers)
    # Built on every build of this tree: the build inside decides what is out of date.
    ExternalProject_Add(page_numbers_build
      SOURCE_DIR ${PROJECT_SOURCE_DIR}
      BINARY_DIR ${page_numbers_build}
      CONFIGURE_COMMAND ${CMAKE_COMMAND} -E env NODE_PATH=${morvit_node_path}
                        ${MORVIT_EMCMAKE} ${CMAKE_COMMAND} -S <SOURCE_DIR> -B <BINARY_DIR> -DCMAKE_BUILD_TYPE=Release
                        -DMORVIT_TESTS=OFF -DMORVIT_PAGE_NUMBERS=ON -DMORVIT_WERROR=${MORVIT_WERROR}
      # The build inside runs on as many processors as there are, outside this build's jobserver.
      BUILD_COMMAND ${CMAKE_COMMAND} -E env --unset=MAKEFLAGS --unset=MFLAGS NODE_PATH=${morvit_node_path}
                    ${CMAKE_COMMAND} --build <BINARY_DIR> --target page_numbers -j${morvit_processors}
      BUILD_ALWAYS ON
      BUILD_BYPRODUCTS ${page_numbers_build}/page_numbers.wasm
      INSTALL_COMMAND ""
      LOG_CONFIGURE ON
      LOG_OUTPUT_ON_FAILURE ON)
    set(MORVIT_PAGE_NUMBERS_FILE ${page_numbers_build}/page_numbers.wasm)
    set(MORVIT_PAGE_NUMBERS_TARGET page_numbers_build)
  endif()
endif()

# Adds to `library` the generated source that defines page_numbers_wasm(): the module's
# bytes, or nothing when it is not built.
function(morvit_embed_page_numbers library)
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/page_numbers_wasm.cpp)
  set(script ${PROJECT_SOURCE_DIR}/cmake/EmbedPageNumbers.cmake)
  if(MORVIT_PAGE_NUMBERS_FILE)
    add_custom_command(
      OUTPUT ${generated}
      COMMAND ${CMAKE_COMMAND} -DMODULE=${MORVIT_PAGE_NUMBERS_FILE} -DOUTPUT=${generated} -P ${script}
      DEPENDS ${script} ${MORVIT_PAGE_NUMBERS_TARGET} ${MORVIT_PAGE_NUMBERS_FILE}
      COMMENT "Embedding page_numbers.wasm"
      VERBATIM)
  else()
    # Written now, so that a build that stops making the module stops embedding it.
    execute_process(COMMAND ${CMAKE_COMMAND} -DMODULE= -DOUTPUT=${generated} -P ${script} COMMAND_ERROR_IS_FATAL ANY)
  endif()
  target_sources(${library} PRIVATE ${generated})
endfunction()
