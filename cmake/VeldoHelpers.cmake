# Shared build settings: warnings, and the helpers that add tests and benchmarks.

# Warnings for our own targets (linked PRIVATE). -Wconversion would flag every deliberate
# long double -> double rounding of the ported routines; those are explicit static_casts
# where they matter, but the flag itself is left off to keep the ports readable.
add_library(veldo_warnings INTERFACE)
target_compile_options(veldo_warnings INTERFACE -Wall -Wextra -Wshadow)

# Never let fast-math (or anything that implies it) into this build: the numerics depend on
# IEEE semantics, signed zeros and the floating-point flags.
add_compile_options(-fno-fast-math -ffp-contract=off)

# veldo_add_library(name folder SOURCES ... [DEPS ...])
function(veldo_add_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  string(REPLACE "veldo_" "" short ${name})
  add_library(veldo::${short} ALIAS ${name})
  target_include_directories(${name} PUBLIC $<BUILD_INTERFACE:${PROJECT_SOURCE_DIR}>)
  target_compile_features(${name} PUBLIC cxx_std_20)
  target_link_libraries(${name} PRIVATE veldo_warnings)
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
endfunction()

# veldo_add_test(name SOURCES ... [DEPS ...])
# Builds a GoogleTest executable, links the shared test support, registers every test with CTest.
# Every test runs with the offscreen Qt platform. (gtest_discover_tests splits an ENVIRONMENT
# list of more than one entry, so further variables belong in the test program itself.)
function(veldo_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE veldo_test_support veldo_warnings ${ARG_DEPS})
  target_compile_definitions(${name} PRIVATE VELDO_TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

# veldo_add_bench(name SOURCES ... [DEPS ...])
function(veldo_add_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE benchmark::benchmark veldo_warnings ${ARG_DEPS})
  set_property(GLOBAL APPEND PROPERTY VELDO_BENCHES ${name})
endfunction()
