# Remediation on Windows: attributes, the quarantine folder, Tool Help termination.
if(KESTRO_WINDOWS)
  kestro_test(wine_remedy_test SOURCES remedy_windows_test.cpp DEPS kestro_remedy)
endif()
