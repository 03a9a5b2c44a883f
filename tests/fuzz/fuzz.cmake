# Initial cache for a fuzzing build: clang, AddressSanitizer and
# UndefinedBehaviorSanitizer everywhere, and every library compiled with
# libFuzzer's coverage instrumentation so that the search sees inside them.
#   cmake -C tests/fuzz/fuzz.cmake -S . -B build/fuzz -G Ninja
set(CMAKE_CXX_COMPILER clang++ CACHE STRING "")
set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "")
set(VELTRANA_FUZZ ON CACHE BOOL "")
set(VELTRANA_BUILD_BENCH OFF CACHE BOOL "")
set(CMAKE_CXX_FLAGS
    "-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    CACHE STRING "")
set(CMAKE_EXE_LINKER_FLAGS "-fsanitize=address,undefined" CACHE STRING "")
