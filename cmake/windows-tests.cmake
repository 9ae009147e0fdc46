# One Windows test program per subsystem folder under tests/ (tests/<name>/*.cpp -> <name>_tests.exe),
# each linked with the DLL's internals, its resources and the shared helpers of tests/support.
file(GLOB FERROW_SUPPORT_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/support/*.cpp)
add_library(ferrow_test_support STATIC ${FERROW_SUPPORT_SOURCES})
target_include_directories(ferrow_test_support PUBLIC ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(ferrow_test_support PUBLIC ferrow_app ferrow_hostsupport gtest)
target_compile_definitions(ferrow_test_support PUBLIC
  FERROW_DLL="Z:$<TARGET_FILE:Ferrow>"
  FERROW_TEST_DATA="Z:${CMAKE_SOURCE_DIR}/tests/data"
  FERROW_BIN_DIR="Z:${CMAKE_BINARY_DIR}")
add_dependencies(ferrow_test_support Ferrow FerrowProgram)

# Wine's Recycle Bin is $XDG_DATA_HOME/Trash: tests that delete to it use a folder of the build.
set(FERROW_TEST_XDG_DATA ${CMAKE_BINARY_DIR}/test-xdg-data)
file(MAKE_DIRECTORY ${FERROW_TEST_XDG_DATA})

# One wine server for the whole ctest run (each Windows test would otherwise start and end its own, about three
# seconds a test): every test that runs under Wine requires this fixture.
add_test(NAME WineServerStart COMMAND ${CMAKE_BINARY_DIR}/wine-run.sh --server-start)
set_tests_properties(WineServerStart PROPERTIES FIXTURES_SETUP wine_server TIMEOUT 300)
add_test(NAME WineServerStop COMMAND ${CMAKE_BINARY_DIR}/wine-run.sh --server-stop)
set_tests_properties(WineServerStop PROPERTIES FIXTURES_CLEANUP wine_server)

# Each Windows test program is one ctest test; FERROW_TEST_EACH_CASE makes every case its own test instead
# (one Wine process per case: slower, but `ctest -R Suite.Case` then works).
option(FERROW_TEST_EACH_CASE "One ctest test per test case instead of per Windows test program" OFF)

file(GLOB FERROW_TEST_DIRS LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*)
foreach(dir IN LISTS FERROW_TEST_DIRS)
  get_filename_component(name ${dir} NAME)
  if(NOT IS_DIRECTORY ${dir} OR name STREQUAL "support" OR name STREQUAL "data" OR name STREQUAL "fuzz")
    continue()
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  if(NOT sources)
    continue()
  endif()
  add_executable(${name}_tests ${sources} $<TARGET_OBJECTS:ferrow_res>)
  target_link_libraries(${name}_tests PRIVATE ferrow_test_support)
  if(name STREQUAL "e2e")
    # One process for the whole program: the repository its tests copy is made once, by the real client.
    add_test(NAME EndToEnd COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:e2e_tests>)
    set_tests_properties(EndToEnd PROPERTIES FIXTURES_REQUIRED "cvs_client;wine_server;pserver" TIMEOUT 300
                         ENVIRONMENT "WINEDEBUG=-all;XDG_DATA_HOME=${FERROW_TEST_XDG_DATA};FERROW_PSERVER_STATE=${CMAKE_BINARY_DIR}/pserver")
    continue()
  endif()
  if(FERROW_TEST_EACH_CASE)
    # One variable only: discovery splits a list at its semicolons, so a second one would be lost (wine-run.sh
    # quietens Wine by itself).
    gtest_discover_tests(${name}_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
                         PROPERTIES ENVIRONMENT "XDG_DATA_HOME=${FERROW_TEST_XDG_DATA}" TIMEOUT 300
                         FIXTURES_REQUIRED wine_server)
    continue()
  endif()
  # One process runs all tests of the program (a Wine process costs about a second to start even with the
  # server kept alive); on failure ctest prints the program's output, whose [  FAILED  ] lines name the cases.
  add_test(NAME ${name}_tests COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}_tests>)
  set_tests_properties(${name}_tests PROPERTIES FIXTURES_REQUIRED wine_server TIMEOUT 900
                       ENVIRONMENT "XDG_DATA_HOME=${FERROW_TEST_XDG_DATA}")
endforeach()

# Working copies made by the real (Linux) cvs client, for the Windows tests to copy and inspect.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/fixtures/sample.stamp
  COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/make-sample-wc.sh ${CMAKE_BINARY_DIR}/fixtures/sample
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_BINARY_DIR}/fixtures/sample.stamp
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make-sample-wc.sh
  COMMENT "Making sample working copies with cvs")
add_custom_target(fixtures ALL DEPENDS ${CMAKE_BINARY_DIR}/fixtures/sample.stamp)

# The timestamp rules again, under a zone with daylight saving time (Wine takes its zone from TZ).
if(TARGET model_tests)
  add_test(NAME ModelUnderDaylightSavingZone
           COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:model_tests> --gtest_filter=*Daylight*:*TimeText*)
  set_tests_properties(ModelUnderDaylightSavingZone PROPERTIES
                       ENVIRONMENT "FERROW_TZ=Europe/Berlin;FERROW_EXPECT_DST=1" TIMEOUT 120
                       FIXTURES_REQUIRED wine_server)
endif()

# The Windows cvs client of the end-to-end tests and the demo: built (or found in its cache) by a fixture,
# then checked with real commands under Wine.
add_test(NAME CvsClientBuild COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/build-cvs-exe.sh ${FERROW_CVS_DIR} ${FERROW_TRIPLET})
set_tests_properties(CvsClientBuild PROPERTIES FIXTURES_SETUP cvs_client TIMEOUT 900)
add_test(NAME CvsClientSmoke
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/cvs_client_smoke.sh ${CMAKE_BINARY_DIR}/wine-run.sh ${FERROW_WINEPREFIX})
set_tests_properties(CvsClientSmoke PROPERTIES FIXTURES_REQUIRED "cvs_client;wine_server" TIMEOUT 300)

# A password server on 127.0.0.1 for the end-to-end tests of logging in: the Linux client serving a fresh
# repository (tests/e2e/pserver.py), started before and stopped after them.
add_test(NAME PServerStart COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/pserver.py start ${CMAKE_BINARY_DIR}/pserver)
set_tests_properties(PServerStart PROPERTIES FIXTURES_SETUP pserver TIMEOUT 120)
add_test(NAME PServerStop COMMAND python3 ${CMAKE_SOURCE_DIR}/tests/e2e/pserver.py stop ${CMAKE_BINARY_DIR}/pserver)
set_tests_properties(PServerStop PROPERTIES FIXTURES_CLEANUP pserver)

# The shell host in a prefix made at once before it, by a session without a display.
add_test(NAME FreshPrefixInvoke
         COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/fresh_prefix_invoke.sh ${CMAKE_BINARY_DIR}/wine-run.sh
                 ${CMAKE_BINARY_DIR} ${CMAKE_BINARY_DIR}/fixtures/sample/wc)
set_tests_properties(FreshPrefixInvoke PROPERTIES TIMEOUT 300)

# 64-bit builds: this DLL and the i686 build's (the one the x64 package also carries) side by side in this
# build's 64-bit prefix.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(FERROW_WIN32_BUILD_DIR ${CMAKE_SOURCE_DIR}/build/win32 CACHE PATH "The 32-bit build whose DLL the x64 package carries")
  add_test(NAME SideBySide
           COMMAND bash ${CMAKE_SOURCE_DIR}/tests/module/side_by_side.sh ${CMAKE_BINARY_DIR} ${FERROW_WIN32_BUILD_DIR})
  set_tests_properties(SideBySide PROPERTIES FIXTURES_REQUIRED wine_server TIMEOUT 300 SKIP_RETURN_CODE 77)
endif()
