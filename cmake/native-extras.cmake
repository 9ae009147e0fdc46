# libFuzzer targets (clang only): tests/fuzz/<name>_fuzz.cpp over the platform-free core, each run for
# FERROW_FUZZ_SECONDS from its seed corpus tests/fuzz/corpus/<name>/ as a ctest entry. A finding is saved
# under the build folder and becomes a regression case in the core tests.
option(FERROW_FUZZ "Build the libFuzzer targets (needs clang)" OFF)
set(FERROW_FUZZ_SECONDS 20 CACHE STRING "How long each fuzzer runs under ctest")
if(FERROW_FUZZ)
  file(GLOB fuzz_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)
  foreach(source IN LISTS fuzz_sources)
    get_filename_component(name ${source} NAME_WE)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE ferrow_core)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    string(REGEX REPLACE "_fuzz$" "" corpus ${name})
    set(seeds ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${corpus})
    set(work ${CMAKE_BINARY_DIR}/fuzz-corpus/${corpus})
    add_test(NAME fuzz.${name}
             COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                     bash -c "mkdir -p '${work}' '${CMAKE_BINARY_DIR}/fuzz-findings' && exec \"$0\" -max_total_time=${FERROW_FUZZ_SECONDS} -max_len=65536 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix='${CMAKE_BINARY_DIR}/fuzz-findings/${name}-' '${work}' $(test -d '${seeds}' && echo '${seeds}')"
                     $<TARGET_FILE:${name}>)
    set_tests_properties(fuzz.${name} PROPERTIES TIMEOUT 600 LABELS fuzz)
  endforeach()
endif()
