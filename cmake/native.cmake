# Native Linux build: the platform-free core under AddressSanitizer and UndefinedBehaviorSanitizer.
find_package(GTest REQUIRED)
include(GoogleTest)

option(FERROW_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
add_compile_options(-Wall -Wextra -Wno-missing-field-initializers -g)
if(FERROW_SANITIZE)
  set(sanitize -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_compile_options(${sanitize})
  add_link_options(${sanitize})
endif()

add_library(ferrow_core STATIC ${FERROW_CORE_SOURCES})
target_include_directories(ferrow_core PUBLIC ${CMAKE_SOURCE_DIR}/src)

add_executable(core_tests ${FERROW_CORE_TESTS})
target_include_directories(core_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(core_tests PRIVATE ferrow_core GTest::gtest_main)
target_compile_definitions(core_tests PRIVATE FERROW_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data")
gtest_discover_tests(core_tests DISCOVERY_TIMEOUT 60)

# The benchmark of the core (scripts/bench.sh builds it without sanitizers, optimised).
add_executable(core_bench ${CMAKE_SOURCE_DIR}/bench/core_bench.cpp)
target_link_libraries(core_bench PRIVATE ferrow_core)
target_include_directories(core_bench PRIVATE ${CMAKE_SOURCE_DIR})

# Optional extras (fuzzers, benchmarks) hook in here when present.
if(EXISTS ${CMAKE_SOURCE_DIR}/cmake/native-extras.cmake)
  include(${CMAKE_SOURCE_DIR}/cmake/native-extras.cmake)
endif()
