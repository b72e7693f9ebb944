# RARExtract.dll as Windows programs see it: exports by undecorated name, no
# imports beyond the system's, ANSI paths and member names in the system code page.
if(KESTRO_WINDOWS AND TARGET RARExtract)
  kestro_test(wine_rar_extract_test SOURCES ${CMAKE_CURRENT_LIST_DIR}/rar_dll_test.cpp
              DEPS kestro_rar_test_support)
  add_dependencies(wine_rar_extract_test RARExtract)
endif()
