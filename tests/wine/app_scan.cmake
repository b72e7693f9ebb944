# The scan page. Its portable models are tested in every tree (tests/app_scan);
# its windows only here, under Wine.
if(NOT TARGET app_scan_model_test)
  add_subdirectory(${CMAKE_SOURCE_DIR}/tests/app_scan ${CMAKE_BINARY_DIR}/tests/app_scan)
endif()
