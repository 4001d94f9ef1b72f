# Every file under resources/ is compiled into the binary and opened by the
# program as "incbin::" + its path below resources/.
file(GLOB_RECURSE CORVANE_RESOURCE_FILES CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/resources/*)
set(CORVANE_RESOURCE_CPP ${CMAKE_BINARY_DIR}/generated/resources_data.cpp)
add_custom_command(
  OUTPUT ${CORVANE_RESOURCE_CPP}
  COMMAND ${CMAKE_COMMAND} -DROOT=${CMAKE_SOURCE_DIR}/resources
          -DOUT=${CORVANE_RESOURCE_CPP} -P ${CMAKE_SOURCE_DIR}/cmake/GenerateResources.cmake
  DEPENDS ${CORVANE_RESOURCE_FILES} ${CMAKE_SOURCE_DIR}/cmake/GenerateResources.cmake
  COMMENT "Embedding resources")
add_library(corvane_resources STATIC ${CORVANE_RESOURCE_CPP})
target_include_directories(corvane_resources PUBLIC ${CMAKE_SOURCE_DIR}/src)
