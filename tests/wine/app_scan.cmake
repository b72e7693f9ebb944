# The scan page. Its portable models are tested in every tree (tests/app_scan);
# its windows in-process under Wine; the real program end to end under Wine.
if(NOT TARGET app_scan_model_test)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/app_scan ${CMAKE_BINARY_DIR}/tests/app_scan)
endif()
if(KESTRO_WINDOWS)
  kestro_test(wine_app_scan_page_test SOURCES app_scan_page_test.cpp DEPS kestro_app_scan_page TIMEOUT 300)

  # Drives "KESTRO Antivirus.exe" from another process: the end-to-end tests, the
  # screenshots (scripts/screenshot-scan-page.sh) and the window benchmark
  # (bench/app_scan_bench.sh).
  kestro_library(kestro_app_scan_driver SOURCES app_scan_driver.cpp DEPS user32 gdi32 advapi32 comctl32)
  set(kestro_program_parts kestro_antivirus kestro_databases KESTROEngine KESTROGui KESTROInet RARExtract
                           KESTROKeyboard KESTROExtc kestro_scan_sounds)
  kestro_test(wine_app_scan_e2e_test SOURCES app_scan_e2e_test.cpp DEPS kestro_app_scan_driver kestro_remedy shell32 ole32
              TIMEOUT 600)
  # One copy of the program runs at a time, as the program allows.
  set_tests_properties(wine_app_scan_e2e_test PROPERTIES RESOURCE_LOCK kestro_program)
  foreach(part IN LISTS kestro_program_parts)
    if(TARGET ${part})
      add_dependencies(wine_app_scan_e2e_test ${part})
    endif()
  endforeach()
endif()

if(KESTRO_WINDOWS)
  foreach(helper screenshots bench)
    add_executable(kestro_app_scan_${helper} app_scan_${helper}_main.cpp)
    target_link_libraries(kestro_app_scan_${helper} PRIVATE kestro_app_scan_driver kestro_test_support)
    target_link_options(kestro_app_scan_${helper} PRIVATE -municode)
    kestro_setup_target(kestro_app_scan_${helper})
    set_target_properties(kestro_app_scan_${helper} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    foreach(part IN LISTS kestro_program_parts)
      if(TARGET ${part})
        add_dependencies(kestro_app_scan_${helper} ${part})
      endif()
    endforeach()
  endforeach()
endif()
