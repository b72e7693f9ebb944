# The platform registry interface on Wine's registry.
if(KESTRO_WINDOWS)
  kestro_test(wine_registry_test SOURCES registry_windows_test.cpp DEPS kestro_platform)
endif()
