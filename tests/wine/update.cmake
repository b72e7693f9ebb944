# The update page against a loopback HTTP server, in-process under Wine.
if(KESTRO_WINDOWS)
  kestro_test(wine_update_page_test SOURCES update_page_test.cpp
              DEPS kestro_app_update_page kestro_update kestro_sigdb kestro_test_http comctl32 gdi32)
endif()
