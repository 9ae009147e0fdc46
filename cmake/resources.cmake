# Generated resources: the type library, built by widl from src/module/ferrow.idl into
# ${CMAKE_BINARY_DIR}/generated, where the resource script finds it.
set(FERROW_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${FERROW_GENERATED_DIR})
# The version resource's numbers, from project(... VERSION ...).
configure_file(${CMAKE_SOURCE_DIR}/src/resources/version.h.in ${FERROW_GENERATED_DIR}/ferrow_version.h @ONLY)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(FERROW_WIDL_ARCH --win64)
  set(FERROW_STDOLE_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
else()
  set(FERROW_WIDL_ARCH --win32)
  set(FERROW_STDOLE_DIR /usr/lib/i386-linux-gnu/wine/i386-windows)
endif()
if(NOT FERROW_WIDL)
  set(FERROW_WIDL widl)
endif()

add_custom_command(
  OUTPUT ${FERROW_GENERATED_DIR}/ferrow.tlb
  COMMAND ${FERROW_WIDL} ${FERROW_WIDL_ARCH} -t
          -I${CMAKE_SOURCE_DIR}/src/com -I/usr/include/wine/wine/windows -L${FERROW_STDOLE_DIR}
          -o ${FERROW_GENERATED_DIR}/ferrow.tlb ${CMAKE_SOURCE_DIR}/src/module/ferrow.idl
  DEPENDS ${CMAKE_SOURCE_DIR}/src/module/ferrow.idl ${CMAKE_SOURCE_DIR}/src/com/guids.h
  COMMENT "Type library ferrow.tlb"
  VERBATIM)
add_custom_target(ferrow_generated DEPENDS ${FERROW_GENERATED_DIR}/ferrow.tlb)

# windres does not see files that resource statements name: rebuild the resources when they change.
file(GLOB FERROW_RESOURCE_FILES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/resources/*.rc
     ${CMAKE_SOURCE_DIR}/src/resources/*.rgs ${CMAKE_SOURCE_DIR}/src/resources/*.ico
     ${CMAKE_SOURCE_DIR}/src/resources/*.bmp ${CMAKE_SOURCE_DIR}/src/resources/*.avi
     ${CMAKE_SOURCE_DIR}/src/resources/*.manifest)
set_source_files_properties(${CMAKE_SOURCE_DIR}/src/resources/ferrow.rc PROPERTIES
  OBJECT_DEPENDS "${FERROW_GENERATED_DIR}/ferrow.tlb;${FERROW_RESOURCE_FILES}")
