# Helpers that keep the tree's shape: one static library per source folder,
# one test program per test file, one benchmark program per bench file.

# lumo_folder_library(<target> <folder> [DEPS <targets>...] [PACKAGES <pkg-config modules>...]
#                     [INCLUDES <extra include folders>...])
function(lumo_folder_library target folder)
  cmake_parse_arguments(ARG "" "" "DEPS;PACKAGES;INCLUDES" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS "${folder}/*.cpp" "${folder}/*.c")
  # A folder that holds only headers so far is an interface library.
  if(sources)
    add_library(${target} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${target} INTERFACE)
    set(scope INTERFACE)
  endif()
  target_include_directories(${target} ${scope} "${PROJECT_SOURCE_DIR}/src" ${ARG_INCLUDES})
  if(ARG_DEPS)
    target_link_libraries(${target} ${scope} ${ARG_DEPS})
  endif()
  foreach(pkg IN LISTS ARG_PACKAGES)
    pkg_check_modules(PKG_${pkg} REQUIRED IMPORTED_TARGET ${pkg})
    target_link_libraries(${target} ${scope} PkgConfig::PKG_${pkg})
  endforeach()
endfunction()

# lumo_folder_tests(<folder> LIBS <targets>... [SUPPORT <test support target>]):
# every *Test.cpp in the folder becomes its own program, so a test can be built
# and run alone. SUPPORT defaults to lumo_test_support.
function(lumo_folder_tests folder)
  cmake_parse_arguments(ARG "" "SUPPORT" "LIBS" ${ARGN})
  if(NOT ARG_SUPPORT)
    set(ARG_SUPPORT lumo_test_support)
  endif()
  file(GLOB tests CONFIGURE_DEPENDS "${folder}/*Test.cpp")
  foreach(test_source IN LISTS tests)
    get_filename_component(stem "${test_source}" NAME_WE)
    set(target "test_${stem}")
    add_executable(${target} "${test_source}")
    target_link_libraries(${target} PRIVATE ${ARG_LIBS} ${ARG_SUPPORT} GTest::gtest GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${target} WORKING_DIRECTORY "${CMAKE_CURRENT_BINARY_DIR}" DISCOVERY_TIMEOUT 60)
  endforeach()
endfunction()

# lumo_folder_benchmarks(<folder> LIBS <targets>...)
function(lumo_folder_benchmarks folder)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB benches CONFIGURE_DEPENDS "${folder}/*Bench.cpp")
  foreach(bench_source IN LISTS benches)
    get_filename_component(stem "${bench_source}" NAME_WE)
    add_executable("bench_${stem}" "${bench_source}")
    target_link_libraries("bench_${stem}" PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
  endforeach()
endfunction()
