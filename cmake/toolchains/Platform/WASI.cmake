# CMake 3.25 does not know WASI: programs are .wasm modules, libraries as on
# Unix.
set(WASI 1)
set(CMAKE_EXECUTABLE_SUFFIX .wasm)
set(CMAKE_STATIC_LIBRARY_PREFIX lib)
set(CMAKE_STATIC_LIBRARY_SUFFIX .a)
set(CMAKE_FIND_LIBRARY_PREFIXES lib)
set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
