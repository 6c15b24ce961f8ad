# What every target of the WebAssembly build (emcmake) takes.
#
# The program runs there as it is, main and all: the POSIX implementation of the platform
# layer (driver/platform_posix.cpp) serves it unchanged, emscripten's in-memory file system
# answering its calls (open, rename, fsync, flock, stat), and its signal handlers are set but
# never called: no signal reaches a program in a browser, whose page ends a run by ending
# the worker that runs it.

# The program throws and catches C++ exceptions (a refused CSV file, a lack of memory),
# which emscripten compiles only when asked; the build's emscripten (Debian's 3.1.6) has its
# C++ library built for exceptions handled through JavaScript, not for WebAssembly's own.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)

# WebAssembly's 128-bit vectors, which Chrome, Firefox and Safari run since 2021: the
# two-lane vectors of the table's sweep (analysis/partition_sweep.cpp) and of the cases
# against each row (measures/block_evidence.cpp) become vector instructions. They perform
# the same IEEE operations on each lane, so the numbers stay those of every other build.
add_compile_options(-msimd128)
