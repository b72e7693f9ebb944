# The desktop program, driven from outside under Wine.
if(KESTRO_WINDOWS AND TARGET kestro_antivirus)
  # Clicks pages and buttons and answers message boxes of the running program
  # (the screenshot script uses it).
  add_executable(kestro_app_driver app_driver_main.cpp ${CMAKE_SOURCE_DIR}/app/win32/tools_tab_strip.cpp
                 ${CMAKE_SOURCE_DIR}/app/win32/ui_theme.cpp)
  target_include_directories(kestro_app_driver PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(kestro_app_driver PRIVATE user32 gdi32 msimg32)
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

  # Every test that starts the real program takes the same lock, once all
  # fragments of this folder have declared their tests. So do the tests that
  # run, freeze and end their own child processes (the process scan, the system
  # tools): the program walks every process of the prefix at start, and under
  # Wine those tests were seen to hang when it did so beside them. The virtual
  # keyboard test types into the foreground window, which the program takes
  # when its main window appears.
  function(kestro_lock_program_tests)
    foreach(test_name wine_app_program_test wine_app_scan_e2e_test wine_process_scan_test wine_systools_test
                      wine_keyboard_test)
      if(TEST ${test_name})
        set_property(TEST ${test_name} APPEND PROPERTY RESOURCE_LOCK kestro_program)
      endif()
    endforeach()
  endfunction()
  cmake_language(DEFER CALL kestro_lock_program_tests)
endif()

if(KESTRO_WINDOWS AND TARGET kestro_antivirus)
  # The picture and connectivity libraries, and RegisterComponent with the real loader.
  kestro_test(wine_app_libraries_test
    SOURCES app_libraries_test.cpp ${CMAKE_SOURCE_DIR}/app/win32/pictures.cpp ${CMAKE_SOURCE_DIR}/app/win32/file_version.cpp
    DEPS kestro_app_model ws2_32 advapi32 user32 gdi32 version)
  target_include_directories(wine_app_libraries_test PRIVATE ${CMAKE_SOURCE_DIR})
  add_dependencies(wine_app_libraries_test KESTROGui KESTROInet KESTROEngine KESTROKeyboard kestro_databases)
endif()
