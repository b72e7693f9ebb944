# Windows tests of the system tools, and the picture helper for
# scripts/screenshot-systools.sh.
if(KESTRO_WINDOWS)
  add_executable(kestro_systools_screenshot systools_screenshot_main.cpp systools_comctl6.rc)
  target_link_libraries(kestro_systools_screenshot PRIVATE kestro_systools_win)
  target_link_options(kestro_systools_screenshot PRIVATE -municode)
  kestro_setup_target(kestro_systools_screenshot)
  set_target_properties(kestro_systools_screenshot PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
endif()

if(KESTRO_WINDOWS)
  # Test programs: one to list, suspend, end and inspect; one to sign.
  add_executable(kestro_systools_sleeper WIN32 systools_sleeper_main.cpp)
  target_link_libraries(kestro_systools_sleeper PRIVATE shell32)
  target_link_options(kestro_systools_sleeper PRIVATE -municode)
  kestro_setup_target(kestro_systools_sleeper)
  add_executable(kestro_systools_signee systools_signee_main.cpp)
  kestro_setup_target(kestro_systools_signee)
  set_target_properties(kestro_systools_sleeper kestro_systools_signee PROPERTIES
                        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)

  # A signed copy of the signee, with a throw-away self-signed certificate.
  find_program(KESTRO_OSSLSIGNCODE osslsigncode)
  find_program(KESTRO_OPENSSL openssl)
  if(KESTRO_OSSLSIGNCODE AND KESTRO_OPENSSL)
    set(signing ${CMAKE_BINARY_DIR}/tests/signing)
    add_custom_command(TARGET kestro_systools_signee POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory ${signing}
      COMMAND ${KESTRO_OPENSSL} req -x509 -newkey rsa:2048 -nodes -keyout ${signing}/key.pem
              -out ${signing}/cert.pem -days 30 -subj "/CN=KESTRO Test Signer"
      COMMAND ${CMAKE_COMMAND} -E rm -f ${CMAKE_BINARY_DIR}/tests/kestro_systools_signee_signed.exe
      COMMAND ${KESTRO_OSSLSIGNCODE} sign -certs ${signing}/cert.pem -key ${signing}/key.pem -n "KESTRO Test"
              -in $<TARGET_FILE:kestro_systools_signee>
              -out ${CMAKE_BINARY_DIR}/tests/kestro_systools_signee_signed.exe
      VERBATIM)
  else()
    message(STATUS "osslsigncode or openssl missing: the signed-file test will be skipped")
  endif()

  kestro_test(wine_systools_test
    SOURCES systools_process_test.cpp systools_service_test.cpp systools_file_test.cpp systools_launcher_test.cpp
            systools_wine_support.cpp
            com_wine_support.cpp systools_comctl6.rc
    DEPS kestro_systools_win)
  target_compile_options(wine_systools_test PRIVATE -Wno-non-virtual-dtor)
  add_dependencies(wine_systools_test kestro_systools_sleeper kestro_systools_signee)
  foreach(library KESTROKeyboard KESTROEngine)
    if(TARGET ${library})
      add_dependencies(wine_systools_test ${library})
    endif()
  endforeach()
endif()

# Opens the Run dialog, which writes user keys: never beside the registry repair test.
if(KESTRO_WINDOWS)
  set_tests_properties(wine_systools_test PROPERTIES RESOURCE_LOCK kestro_user_registry)
endif()
