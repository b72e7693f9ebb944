# The desktop program, driven from outside under Wine.
if(KESTRO_WINDOWS AND TARGET kestro_antivirus)
  # Clicks pages and buttons and answers message boxes of the running program
  # (the screenshot script uses it).
  add_executable(kestro_app_driver app_driver_main.cpp)
  target_link_options(kestro_app_driver PRIVATE -municode)
  kestro_setup_target(kestro_app_driver)
  set_target_properties(kestro_app_driver PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endif()

if(KESTRO_WINDOWS AND TARGET kestro_antivirus)
  # The real program started from a copy of the output folder. Tests that start
  # the program hold the lock "kestro_program": one copy runs at a time, as the
  # program allows.
  kestro_test(wine_app_program_test SOURCES app_program_test.cpp DEPS advapi32 user32 TIMEOUT 600)
  add_dependencies(wine_app_program_test kestro_antivirus)
  set_tests_properties(wine_app_program_test PROPERTIES RESOURCE_LOCK kestro_program)
endif()
