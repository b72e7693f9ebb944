# Windows tests of the COM companions: KESTROExtc.dll and KESTROKeyboard.dll.
if(KESTRO_WINDOWS)
  # Stand-in for the main program, started by the shell extension's InvokeCommand.
  add_executable(kestro_standin_antivirus WIN32 shellext_standin_main.cpp)
  target_link_options(kestro_standin_antivirus PRIVATE -municode)
  kestro_setup_target(kestro_standin_antivirus)
  set_target_properties(kestro_standin_antivirus PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

  # Puts the keyboard window or the context-menu item on screen for
  # scripts/screenshot-com.sh.
  add_executable(kestro_com_screenshot com_screenshot_main.cpp)
  target_include_directories(kestro_com_screenshot PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(kestro_com_screenshot PRIVATE ole32 uuid user32 shell32)
  target_link_options(kestro_com_screenshot PRIVATE -municode)
  kestro_setup_target(kestro_com_screenshot)
  target_compile_options(kestro_com_screenshot PRIVATE -Wno-non-virtual-dtor)
  set_target_properties(kestro_com_screenshot PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

  if(TARGET KESTROExtc)
    kestro_test(wine_shellext_test
      SOURCES shellext_registration_test.cpp shellext_handler_test.cpp shellext_resources_test.cpp
              com_wine_support.cpp
      DEPS kestro_shellext_registration kestro_com_win32 shell32 ole32 uuid gdi32 user32 advapi32 version)
    target_compile_options(wine_shellext_test PRIVATE -Wno-non-virtual-dtor)
    add_dependencies(wine_shellext_test KESTROExtc kestro_standin_antivirus)
    if(TARGET KESTROKeyboard)
      add_dependencies(wine_shellext_test KESTROKeyboard)  # the resources test reads its version too
    endif()
  endif()
  if(TARGET KESTROKeyboard)
    kestro_test(wine_keyboard_test SOURCES keyboard_com_test.cpp com_wine_support.cpp
      DEPS ole32 oleaut32 uuid user32 gdi32 advapi32 TIMEOUT 120)
    target_compile_options(wine_keyboard_test PRIVATE -Wno-non-virtual-dtor)
    add_dependencies(wine_keyboard_test KESTROKeyboard)
  endif()
endif()
