# The update page and the web-link opener: every .cpp of this folder, built into
# a library that the program links (Windows only).
if(KESTRO_WINDOWS)
  file(GLOB kestro_app_update_page_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
  kestro_library(kestro_app_update_page SOURCES ${kestro_app_update_page_sources}
                 DEPS kestro_app_model kestro_update kestro_update_net kestro_platform)
  target_link_libraries(kestro_app_update_page PUBLIC user32 gdi32 comctl32 shell32)
endif()
