# The scan page. Its portable models are tested in every tree (tests/app_scan);
# its windows only here, in-process under Wine.
if(NOT TARGET app_scan_model_test)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/app_scan ${CMAKE_BINARY_DIR}/tests/app_scan)
endif()
if(KESTRO_WINDOWS)
  kestro_test(wine_app_scan_page_test SOURCES app_scan_page_test.cpp DEPS kestro_app_scan_page TIMEOUT 300)
endif()
