# The x64 setup installed, upgraded, used and uninstalled under Wine, in a prefix
# of its own under the build tree (tests/wine/setup_test.sh).
if(KESTRO_WINDOWS AND NOT KESTRO_WINDOWS_X86 AND TARGET kestro_setup AND KESTRO_MAKENSIS)
  # The same program as an older version, to install over.
  set(kestro_older_setup ${CMAKE_BINARY_DIR}/tests/KESTRO-Antivirus-0.1-older-setup.exe)
  kestro_nsis_setup(${kestro_older_setup} 0.1)
  add_custom_target(kestro_older_setup ALL DEPENDS ${kestro_older_setup})
  add_test(NAME wine_setup_test
           COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/setup_test.sh ${KESTRO_SETUP_FILE} ${kestro_older_setup}
                   $<TARGET_FILE:kestro-demo-tree> ${CMAKE_BINARY_DIR}/setup-test)
  set_tests_properties(wine_setup_test PROPERTIES TIMEOUT 600)
endif()
