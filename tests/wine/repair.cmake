# kestro-repair on the test prefix's real registry: repair, --undo, regedit /s.
if(KESTRO_WINDOWS)
  kestro_test(wine_repair_tool_test SOURCES repair_tool_test.cpp DEPS kestro_remedy kestro_platform TIMEOUT 300)
  add_dependencies(wine_repair_tool_test kestro-repair)
endif()

# The repair test compares registry snapshots of the shared prefix; tests that
# open the Run dialog write user keys meanwhile (systools.cmake takes the same lock).
if(KESTRO_WINDOWS)
  set_tests_properties(wine_repair_tool_test PROPERTIES RESOURCE_LOCK kestro_user_registry)
endif()
