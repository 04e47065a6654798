# Warning policy for our own code: everything on, warnings are errors (QX_WERROR,
# off only in builds with another compiler's warnings, such as the GUI fuzz build).
# Dependency headers come in as SYSTEM includes and stay out of it.
function(qx_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(NOT DEFINED QX_WERROR OR QX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# qx_library(name SOURCES ... DEPS ...): a static library of our own code,
# with the repository root on its include path.
function(qx_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  qx_warnings(${name})
endfunction()

# qx_test(name SOURCES ... DEPS ...): a GoogleTest executable registered with ctest.
# THREADED marks suites that exercise threads: the qx_threaded_tests target builds them, and
# with QX_THREADED_ONLY (the thread-sanitizer build) only they are registered with ctest.
function(qx_test name)
  cmake_parse_arguments(ARG "THREADED" "" "SOURCES;DEPS;PROPERTIES" ${ARGN})
  set(registered TRUE)
  if(QX_THREADED_ONLY AND NOT ARG_THREADED)
    set(registered FALSE)
    add_executable(${name} EXCLUDE_FROM_ALL ${ARG_SOURCES})
  else()
    add_executable(${name} ${ARG_SOURCES})
  endif()
  if(ARG_THREADED)
    add_dependencies(qx_threaded_tests ${name})
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  qx_warnings(${name})
  if(registered)
    include(GoogleTest)
    gtest_discover_tests(${name}
      DISCOVERY_TIMEOUT 60
      PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
        ENVIRONMENT_MODIFICATION "QX_SOURCE_DIR=set:${PROJECT_SOURCE_DIR}"
        ${ARG_PROPERTIES})
  endif()
endfunction()

# qx_bench(name SOURCES ... DEPS ...): a Google Benchmark executable (not run by ctest).
function(qx_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  find_package(benchmark REQUIRED)
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
  qx_warnings(${name})
endfunction()

# qx_fuzzer(name SOURCES ... DEPS ... CORPUS dir [MAX_LEN bytes]): a libFuzzer target,
# built with -DQX_FUZZ=ON under clang (QX_FUZZING is defined in its sources). Without
# QX_FUZZ the same entry point is linked into a replay driver that ctest runs over the
# corpus, so saved inputs stay regression tests. MAX_LEN sets the fuzzer's default
# -max_len for inputs that need more room than libFuzzer's 4 KiB to reach their depth.
function(qx_fuzzer name)
  cmake_parse_arguments(ARG "" "CORPUS;MAX_LEN" "SOURCES;DEPS" ${ARGN})
  if(QX_FUZZ)
    set(sources ${ARG_SOURCES})
    if(ARG_MAX_LEN)
      list(APPEND sources ${PROJECT_SOURCE_DIR}/tests/fuzz/FuzzMaxLen.cpp)
    endif()
    add_executable(${name} ${sources})
    target_compile_definitions(${name} PRIVATE QX_FUZZING=1)
    if(ARG_MAX_LEN)
      target_compile_definitions(${name} PRIVATE QX_FUZZ_MAX_LEN=${ARG_MAX_LEN})
    endif()
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    qx_warnings(${name})
  else()
    add_executable(${name}_replay ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fuzz/ReplayMain.cpp)
    target_link_libraries(${name}_replay PRIVATE ${ARG_DEPS})
    target_include_directories(${name}_replay PRIVATE ${PROJECT_SOURCE_DIR})
    qx_warnings(${name}_replay)
    if(QX_TESTS AND QX_FUZZ_REPLAY AND ARG_CORPUS)
      add_test(NAME fuzz_replay.${name} COMMAND ${name}_replay ${ARG_CORPUS})
      set_tests_properties(fuzz_replay.${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
  endif()
endfunction()
