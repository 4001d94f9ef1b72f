# corvane_module(name DEPS ... [SUBDIRS ...]): builds src/<name>/*.cpp (and its SUBDIRS) (and the platform's
# *_posix.cpp or *_win32.cpp) into the static library corvane_<name>, and its
# *_test.cpp files into the test program <name>_tests (a test of the other
# platform's file, *_posix_test.cpp or *_win32_test.cpp, is left out).
function(corvane_module name)
  cmake_parse_arguments(M "" "" "DEPS;SUBDIRS" ${ARGN})
  set(dir ${CMAKE_SOURCE_DIR}/src/${name})
  file(GLOB all_sources CONFIGURE_DEPENDS ${dir}/*.cpp)
  foreach(sub ${M_SUBDIRS})
    file(GLOB sub_sources CONFIGURE_DEPENDS ${dir}/${sub}/*.cpp)
    list(APPEND all_sources ${sub_sources})
  endforeach()
  set(lib_sources)
  set(test_sources)
  foreach(f ${all_sources})
    get_filename_component(stem ${f} NAME_WE)
    if(stem MATCHES "${CORVANE_OTHER_SUFFIX}_test$")
      # a test of the other platform's file
    elseif(stem MATCHES "_test$")
      list(APPEND test_sources ${f})
    elseif(stem MATCHES "${CORVANE_OTHER_SUFFIX}$")
      # the other platform's file
    else()
      list(APPEND lib_sources ${f})
    endif()
  endforeach()
  if(NOT lib_sources)
    set(lib_sources ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(corvane_${name} STATIC ${lib_sources})
  target_include_directories(corvane_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(corvane_${name} PUBLIC ${M_DEPS})
  target_compile_options(corvane_${name} PRIVATE -Wall -Wextra -Wno-unused-parameter)
  target_compile_definitions(corvane_${name} PUBLIC
    CORVANE_SERVER_ROOT="${CORVANE_SERVER_ROOT}"
    CORVANE_SVN_HOST="${CORVANE_SVN_HOST}")
  if(CORVANE_BUILD_TESTS AND test_sources)
    add_executable(${name}_tests ${test_sources})
    target_include_directories(${name}_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    target_link_libraries(${name}_tests PRIVATE corvane_${name} corvane_test_support
                          GTest::gtest_main GTest::gmock)
    gtest_discover_tests(${name}_tests
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
      DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "CORVANE_SOURCE_DIR=${CMAKE_SOURCE_DIR};CORVANE_BINARY_DIR=${CMAKE_BINARY_DIR}")
  endif()
endfunction()
