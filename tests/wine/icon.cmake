# The portable icon renderer against ExtractIconExW and DrawIconEx under Wine.
if(KESTRO_WINDOWS)
  kestro_test(wine_icon_test
    SOURCES icon_gdi_test.cpp
            ${CMAKE_SOURCE_DIR}/tests/support/icon_builder.cpp ${CMAKE_SOURCE_DIR}/tests/support/icon_fixtures.cpp
    DEPS kestro_icon shell32 gdi32 user32)
endif()
