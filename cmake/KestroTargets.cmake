# Helpers that give every target of ours the same language level and warnings.

set(KESTRO_WARNINGS -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
                    -Wnon-virtual-dtor -Wold-style-cast -Woverloaded-virtual
                    -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough
                    -Wno-missing-field-initializers)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # GCC 12 reports false positives inside libstdc++ string code at -O2.
  list(APPEND KESTRO_WARNINGS -Wno-restrict)
endif()

function(kestro_setup_target target)
  target_compile_features(${target} PUBLIC cxx_std_20)
  get_target_property(type ${target} TYPE)
  if(NOT type STREQUAL "INTERFACE_LIBRARY")
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${KESTRO_WARNINGS}>)
    if(KESTRO_WERROR)
      target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Werror>)
    endif()
  endif()
endfunction()

# kestro_library(name SOURCES... [DEPS targets...])
function(kestro_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  kestro_setup_target(${name})
endfunction()

# kestro_executable(name SOURCES... [DEPS targets...]) : a console program.
function(kestro_executable name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  if(KESTRO_WINDOWS)
    target_link_options(${name} PRIVATE -municode)
  endif()
  kestro_setup_target(${name})
endfunction()

# kestro_test(name SOURCES... [DEPS targets...] [LABELS labels...])
# One GoogleTest executable, registered with CTest as one test. In the win64 tree
# CTest runs it through the Wine wrapper (CMAKE_CROSSCOMPILING_EMULATOR).
function(kestro_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} kestro_test_support GTest::gmock GTest::gtest_main)
  kestro_setup_target(${name})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
    ENVIRONMENT "KESTRO_OUT_DIR=${KESTRO_OUTPUT_DIR};KESTRO_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
  if(ARG_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
  endif()
endfunction()
