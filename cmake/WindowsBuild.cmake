# What only the Windows build has: the system libraries of the runtime layer,
# the program's icon and version information, and a small console program
# that the process tests run.

# Winsock, the registry and token functions, ExitWindowsEx, the ROOT certificate store.
target_link_libraries(corvane_runtime PUBLIC ws2_32 advapi32 user32 crypt32)

# The icon: the round badge of our toolchain picture, in the sizes Windows
# shows (cut out and scaled at build time with ImageMagick).
set(CORVANE_ICON ${CMAKE_BINARY_DIR}/generated/corvane.ico)
find_program(CORVANE_CONVERT convert PATHS /usr/bin NO_DEFAULT_PATH)
find_program(CORVANE_CONVERT convert)
if(CORVANE_CONVERT)
  add_custom_command(
    OUTPUT ${CORVANE_ICON}
    COMMAND python3 ${CMAKE_SOURCE_DIR}/scripts/windows/make_icon.py ${CORVANE_CONVERT}
            ${CMAKE_SOURCE_DIR}/resources/gfx/tarnic120_T.png ${CORVANE_ICON}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/gfx/tarnic120_T.png ${CMAKE_SOURCE_DIR}/scripts/windows/make_icon.py
    COMMENT "Making the program icon")
  set(CORVANE_RC_ICON_LINE "1 ICON \"${CORVANE_ICON}\"")
else()
  message(WARNING "ImageMagick's convert was not found: corvane.exe gets no icon")
  set(CORVANE_RC_ICON_LINE "")
endif()
configure_file(${CMAKE_SOURCE_DIR}/scripts/windows/corvane.rc.in ${CMAKE_BINARY_DIR}/generated/corvane.rc @ONLY)
target_sources(corvane PRIVATE ${CMAKE_BINARY_DIR}/generated/corvane.rc)
if(CORVANE_CONVERT)
  set_source_files_properties(${CMAKE_BINARY_DIR}/generated/corvane.rc PROPERTIES OBJECT_DEPENDS ${CORVANE_ICON})
endif()
set_target_properties(corvane PROPERTIES WIN32_EXECUTABLE ON)

if(CORVANE_BUILD_TESTS)
  add_executable(console_tool ${CMAKE_SOURCE_DIR}/tests/windows/console_tool.cpp)
  foreach(t runtime_tests install_tests)
    if(TARGET ${t})
      add_dependencies(${t} console_tool)
    endif()
  endforeach()
endif()
