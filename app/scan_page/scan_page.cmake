# The scan page and the quarantine panel. Their rules are a portable library
# (every .cpp directly in this folder, built in every tree and tested natively in
# tests/app_scan); the windows (win32/ and scan_page.cpp) build in the Windows tree.
set(kestro_scan_page_dir ${CMAKE_CURRENT_LIST_DIR})
file(GLOB kestro_scan_page_model_sources CONFIGURE_DEPENDS ${kestro_scan_page_dir}/*.cpp)
list(REMOVE_ITEM kestro_scan_page_model_sources ${kestro_scan_page_dir}/scan_page.cpp)
kestro_library(kestro_scan_page_model SOURCES ${kestro_scan_page_model_sources}
               DEPS kestro_scan kestro_remedy kestro_log kestro_platform)
find_package(Threads REQUIRED)
target_link_libraries(kestro_scan_page_model PUBLIC Threads::Threads)

if(KESTRO_WINDOWS)
  file(GLOB kestro_app_scan_page_sources CONFIGURE_DEPENDS ${kestro_scan_page_dir}/win32/*.cpp)
  kestro_library(kestro_app_scan_page SOURCES ${kestro_scan_page_dir}/scan_page.cpp ${kestro_app_scan_page_sources}
                 DEPS kestro_app_model kestro_scan_page_model)
  target_link_libraries(kestro_app_scan_page PUBLIC user32 gdi32 comctl32 comdlg32 shell32 shlwapi ole32 oleaut32 uuid
                        uxtheme winmm advapi32)

  # The two sounds beside the program: "Sound\detected.wav" and "Sound\finished.wav".
  set(kestro_sound_files detected.wav finished.wav)
  set(kestro_sound_outputs)
  foreach(sound IN LISTS kestro_sound_files)
    add_custom_command(OUTPUT ${KESTRO_OUTPUT_DIR}/Sound/${sound}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${KESTRO_OUTPUT_DIR}/Sound
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${kestro_scan_page_dir}/sounds/${sound}
              ${KESTRO_OUTPUT_DIR}/Sound/${sound}
      DEPENDS ${kestro_scan_page_dir}/sounds/${sound})
    list(APPEND kestro_sound_outputs ${KESTRO_OUTPUT_DIR}/Sound/${sound})
  endforeach()
  add_custom_target(kestro_scan_sounds ALL DEPENDS ${kestro_sound_outputs})
  add_dependencies(kestro_app_scan_page kestro_scan_sounds)
endif()
