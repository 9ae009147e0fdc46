# MinGW-w64 build: Ferrow.dll, its Windows tests (run through Wine) and the tools.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800 NOMINMAX STRICT)
add_compile_options(-Wall -Wextra -Wno-unknown-pragmas -Wno-cast-function-type -Wno-missing-field-initializers)
# The C++ runtime, libgcc and winpthread go inside each binary: nothing is shipped beside the DLL.
add_link_options(-static -static-libgcc -static-libstdc++)

set(FERROW_SYSTEM_LIBS shlwapi shell32 ole32 oleaut32 uuid comctl32 comdlg32 advapi32 user32 gdi32 version)

add_library(ferrow_core STATIC ${FERROW_CORE_SOURCES})
target_include_directories(ferrow_core PUBLIC ${CMAKE_SOURCE_DIR}/src)

# Everything of the DLL but its exports, so the Windows tests can call internals directly.
file(GLOB FERROW_WIN_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/*/*.cpp)
list(FILTER FERROW_WIN_SOURCES EXCLUDE REGEX "/src/module/exports\\.cpp$|/src/app/|/src/setup/")
add_library(ferrow_impl STATIC ${FERROW_WIN_SOURCES})
target_include_directories(ferrow_impl PUBLIC ${CMAKE_SOURCE_DIR}/src ${CMAKE_BINARY_DIR}/generated)
target_link_libraries(ferrow_impl PUBLIC ferrow_core ${FERROW_SYSTEM_LIBS})
add_subdirectory(hostsupport)

# Resources: strings, dialogs, images, version, manifest, registration script, type library.
if(EXISTS ${CMAKE_SOURCE_DIR}/cmake/resources.cmake)
  include(${CMAKE_SOURCE_DIR}/cmake/resources.cmake)
endif()
add_library(ferrow_res OBJECT ${CMAKE_SOURCE_DIR}/src/resources/ferrow.rc)
# windres reports no dependencies: rebuild when any included .rc file or embedded file changes.
file(GLOB_RECURSE FERROW_RES_INPUTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/*.rc
     ${CMAKE_SOURCE_DIR}/src/resources/*.h ${CMAKE_SOURCE_DIR}/src/resources/*.manifest ${CMAKE_SOURCE_DIR}/src/resources/*.rgs
     ${CMAKE_SOURCE_DIR}/src/resources/images/*)
list(APPEND FERROW_RES_INPUTS ${CMAKE_BINARY_DIR}/generated/ferrow_version.h)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/resources/ferrow.rc PROPERTIES OBJECT_DEPENDS "${FERROW_RES_INPUTS}")
target_include_directories(ferrow_res PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/src/resources
                           ${CMAKE_BINARY_DIR}/generated)
if(TARGET ferrow_generated)
  add_dependencies(ferrow_res ferrow_generated)
endif()

add_library(Ferrow SHARED ${CMAKE_SOURCE_DIR}/src/module/exports.cpp ${CMAKE_SOURCE_DIR}/src/module/Ferrow.def
            $<TARGET_OBJECTS:ferrow_res>)
set_target_properties(Ferrow PROPERTIES PREFIX "" OUTPUT_NAME Ferrow)
target_link_libraries(Ferrow PRIVATE ferrow_impl)
target_link_options(Ferrow PRIVATE -Wl,--enable-stdcall-fixup)

# Ferrow.exe, beside the DLL: the program that runs the operations. Its code but the entry is a library
# too, so the Windows tests can call it.
file(GLOB FERROW_APP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/app/*.cpp)
list(FILTER FERROW_APP_SOURCES EXCLUDE REGEX "/src/app/main\\.cpp$")
add_library(ferrow_app STATIC ${FERROW_APP_SOURCES})
target_link_libraries(ferrow_app PUBLIC ferrow_impl)
add_executable(FerrowProgram WIN32 ${CMAKE_SOURCE_DIR}/src/app/main.cpp ${CMAKE_SOURCE_DIR}/src/app/program.rc
               $<TARGET_OBJECTS:ferrow_res>)
set_target_properties(FerrowProgram PROPERTIES OUTPUT_NAME Ferrow)
target_include_directories(FerrowProgram PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/src/resources)
target_link_libraries(FerrowProgram PRIVATE ferrow_app)
target_link_options(FerrowProgram PRIVATE -municode)

# FerrowSetup.dll, the x64 installer's custom action that runs Ferrow.exe's menu commands and logs how they
# ended (src/setup/; the package carries it in its Binary table). Built for both architectures.
add_library(FerrowSetup SHARED ${CMAKE_SOURCE_DIR}/src/setup/setup_action.cpp ${CMAKE_SOURCE_DIR}/src/setup/FerrowSetup.def
            ${CMAKE_SOURCE_DIR}/src/setup/setup_action.rc)
set_target_properties(FerrowSetup PROPERTIES PREFIX "" OUTPUT_NAME FerrowSetup)
target_include_directories(FerrowSetup PRIVATE ${CMAKE_SOURCE_DIR}/src)
target_link_libraries(FerrowSetup PRIVATE ferrow_impl -lmsi)  # "msi" alone names the package target
target_link_options(FerrowSetup PRIVATE -Wl,--enable-stdcall-fixup)

# Programs that run under Wine go through this wrapper and a private prefix under the build folder.
set(FERROW_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
# The Windows cvs client (scripts/build-cvs-exe.sh) goes on the prefix's PATH through WINEPATH.
# The client's architecture is the prefix's: a machine that cannot run 32-bit programs has only 64-bit ones.
if(FERROW_WINEARCH STREQUAL "win64")
  set(FERROW_CVS_DIR ${CMAKE_SOURCE_DIR}/build/cvs-win64 CACHE PATH "Folder of the Windows cvs.exe the Wine tests run")
else()
  set(FERROW_CVS_DIR ${CMAKE_SOURCE_DIR}/build/cvs-win CACHE PATH "Folder of the Windows cvs.exe the Wine tests run")
endif()
string(REPLACE "/" "\\" FERROW_CVS_WINDIR "Z:${FERROW_CVS_DIR}")
configure_file(${CMAKE_SOURCE_DIR}/cmake/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)

if(EXISTS ${CMAKE_SOURCE_DIR}/tools/CMakeLists.txt)
  add_subdirectory(tools)
endif()

# The installer packages and the help file (target "msi").
if(EXISTS ${CMAKE_SOURCE_DIR}/installer/CMakeLists.txt)
  add_subdirectory(installer)
endif()

if(BUILD_TESTING)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  include(GoogleTest)
  include(${CMAKE_SOURCE_DIR}/cmake/windows-tests.cmake)
endif()

# The benchmark of the DLL's answers (not a test; scripts/bench.sh runs it).
add_executable(dll_bench ${CMAKE_SOURCE_DIR}/bench/dll_bench.cpp)
target_include_directories(dll_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(dll_bench PRIVATE ferrow_hostsupport)

# The benchmark of the diff viewer's comparison (not a test; scripts/bench.sh runs it).
add_executable(diff_bench ${CMAKE_SOURCE_DIR}/bench/diff_bench.cpp)
target_include_directories(diff_bench PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(diff_bench PRIVATE ferrow_impl psapi)

# The changes list against its floor (bench/changes_bench.cpp; figures in the README).
add_executable(changes_bench ${CMAKE_SOURCE_DIR}/bench/changes_bench.cpp)
target_link_libraries(changes_bench PRIVATE ferrow_impl)
