# Windows tests of the system tools, and the picture helper for
# scripts/screenshot-systools.sh.
if(KESTRO_WINDOWS)
  add_executable(kestro_systools_screenshot systools_screenshot_main.cpp systools_comctl6.rc)
  target_link_libraries(kestro_systools_screenshot PRIVATE kestro_systools_win)
  target_link_options(kestro_systools_screenshot PRIVATE -municode)
  kestro_setup_target(kestro_systools_screenshot)
  set_target_properties(kestro_systools_screenshot PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endif()
