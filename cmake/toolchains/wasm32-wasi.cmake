# The browser page's WebAssembly: Debian's clang 14 for wasm32-wasi, with
# wasi-libc and libc++ 14 for wasm32. Its programs (the test suites) run under
# Node.js's WASI: the emulator of every test.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
set(CMAKE_AR llvm-ar-14)
set(CMAKE_RANLIB llvm-ranlib-14)
# Debian's libc++abi for wasm32 has no exceptions (an error aborts), and its
# libc++ 14 no std::from_chars for floating point: supplied here.
set(CMAKE_CXX_FLAGS_INIT
    "-fno-exceptions -include ${CMAKE_CURRENT_LIST_DIR}/wasm32-wasi-from-chars.h")
set(CMAKE_FIND_ROOT_PATH /usr/lib/wasm32-wasi /usr/include/wasm32-wasi)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
find_program(QUADRANGLER_NODE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${QUADRANGLER_NODE} --no-warnings
                                  ${CMAKE_CURRENT_LIST_DIR}/../../tests/web/wasi-run.mjs)
