# The test prefix reports Windows 7, as the newest machines the product is for.
if(KESTRO_WINDOWS)
  kestro_test(wine_windows_version_test SOURCES windows_version_test.cpp)
endif()
