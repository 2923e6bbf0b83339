# The browser page's WebAssembly: the release's own clang for wasm32-wasi
# (Debian's unversioned names: 14 on Debian 12, 19 on Debian 13), with
# wasi-libc and the libc++ for wasm32 of the same LLVM. Its programs (the test suites) run under
# Node.js's WASI: the emulator of every test.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR})
set(CMAKE_SYSTEM_NAME WASI)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET wasm32-wasi)
set(CMAKE_CXX_COMPILER_TARGET wasm32-wasi)
find_program(CMAKE_AR llvm-ar REQUIRED)
find_program(CMAKE_RANLIB llvm-ranlib REQUIRED)
# Debian's libc++abi for wasm32 has no exceptions (an error aborts), and its
# libc++ before 20 no std::from_chars for floating point: supplied here.
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
