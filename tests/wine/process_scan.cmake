# The running-process scan under Wine: Tool Help walk, freezing, the relabelled
# question answered from another thread, termination of every copy.
if(KESTRO_WINDOWS)
  kestro_test(wine_process_scan_test SOURCES process_scan_windows_test.cpp DEPS kestro_scan user32 TIMEOUT 120)
  add_dependencies(wine_process_scan_test kestro-test-sleeper)
endif()
