# lb_library(NAME SOURCES ... [DEPS ...] [PRIVATE_DEPS ...])
#   One static library per source folder; the include root is src/, so headers are
#   included as "platform/gdi/gdi.h", "png/pngimage.h", ...
function(lb_library name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  add_library(${name} STATIC ${A_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
endfunction()

# lb_test(NAME SOURCES ... [DEPS ...] [LABELS ...])
#   A GoogleTest executable registered with CTest, run from the build folder.
function(lb_test name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS;LABELS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gtest GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
  target_compile_definitions(${name} PRIVATE
      LB_SOURCE_DIR="${PROJECT_SOURCE_DIR}" LB_BINARY_DIR="${PROJECT_BINARY_DIR}")
  if(CMAKE_CROSSCOMPILING)
    # One CTest test per program: each start under Wine costs most of a second, too much
    # to pay once per test case, or to list the cases at build time.
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${PROJECT_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES LABELS "${A_LABELS}")
    return()
  endif()
  include(GoogleTest)
  # Test names in CTest stay short: parameter values are printed by GoogleTest on failure.
  gtest_discover_tests(${name} WORKING_DIRECTORY ${PROJECT_BINARY_DIR} NO_PRETTY_VALUES
                       DISCOVERY_TIMEOUT 60
                       PROPERTIES LABELS "${A_LABELS}")
endfunction()

# lb_fuzzer(NAME SOURCES ... [DEPS ...])
#   A libFuzzer target; only built when LB_FUZZ is on (clang).
function(lb_fuzzer name)
  cmake_parse_arguments(A "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${A_DEPS})
endfunction()
