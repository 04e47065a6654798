# Warning policy for our own code: everything on, warnings are errors (QX_WERROR,
# off only in builds with another compiler's warnings, such as the GUI fuzz build).
# Dependency headers come in as SYSTEM includes and stay out of it.
function(qx_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(NOT DEFINED QX_WERROR OR QX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# QX_TEST_FLAGS: compile options for test code alone. The sanitizer build compiles it
# without optimisation and without the null and alignment checks, which cost a fifth of its
# compile time; the code under test keeps every check.
set(QX_TEST_FLAGS "" CACHE STRING "Compile options for test code only")
function(qx_test_options target)
  target_compile_options(${target} PRIVATE ${QX_TEST_FLAGS})
endfunction()

# qx_library(name SOURCES ... DEPS ...): a static library of our own code,
# with the repository root on its include path.
function(qx_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  qx_warnings(${name})
  qx_precompile(${name} lib)
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
  qx_test_options(${name})
  qx_precompile(${name} test)
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
    if(NOT TARGET qx_fuzz_replay_main)
      add_library(qx_fuzz_replay_main OBJECT ${PROJECT_SOURCE_DIR}/tests/fuzz/ReplayMain.cpp)
      qx_warnings(qx_fuzz_replay_main)
      qx_test_options(qx_fuzz_replay_main)
    endif()
    add_executable(${name}_replay ${ARG_SOURCES})
    target_link_libraries(${name}_replay PRIVATE ${ARG_DEPS} qx_fuzz_replay_main)
    target_include_directories(${name}_replay PRIVATE ${PROJECT_SOURCE_DIR})
    qx_warnings(${name}_replay)
    qx_test_options(${name}_replay)
    qx_precompile(${name}_replay replay)
    if(QX_TESTS AND QX_FUZZ_REPLAY AND ARG_CORPUS)
      add_test(NAME fuzz_replay.${name} COMMAND ${name}_replay ${ARG_CORPUS})
      set_tests_properties(fuzz_replay.${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
  endif()
endfunction()

# Precompiled headers. Each of our targets is noted here as library, test or fuzz replay
# code; once every target exists, qx_apply_precompiled_headers gives it the header set of
# its kind (the standard library, GoogleTest for tests), compiled once per kind, with Qt's
# flags for code that links Qt, and reused by every target of that kind.
# Qt's headers stay out of them: Qt has a header for each class, and a build that
# precompiled them all would not show one that a file forgot to include.
# Off by default: a header that a file uses without including it comes in through them,
# and only a build without them shows that the file does not build on its own.
option(QX_PCH "Precompile the standard library and GoogleTest headers" OFF)
function(qx_precompile target kind)
  set_property(GLOBAL APPEND PROPERTY QX_PCH_CONSUMERS "${target}|${kind}")
endfunction()

# Whether target links Qt6::Widgets, directly or through our libraries.
function(qx_links_qt target result)
  set(seen "")
  set(queue ${target})
  set(found FALSE)
  while(queue AND NOT found)
    list(POP_FRONT queue current)
    if(current IN_LIST seen OR NOT TARGET ${current})
      continue()
    endif()
    list(APPEND seen ${current})
    if(current MATCHES "^Qt6::")
      set(found TRUE)
      break()
    endif()
    get_target_property(imported ${current} IMPORTED)
    if(imported)
      continue()
    endif()
    get_target_property(deps ${current} LINK_LIBRARIES)
    get_target_property(interface ${current} INTERFACE_LINK_LIBRARIES)
    foreach(dep IN LISTS deps interface)
      if(dep AND NOT dep MATCHES "^\\$<")
        list(APPEND queue ${dep})
      endif()
    endforeach()
  endwhile()
  set(${result} ${found} PARENT_SCOPE)
endfunction()

# A target that compiles one header set; executables and libraries differ in -fPIE and
# -fPIC, so each reuses the header of its own type.
function(qx_pch_target name type)
  cmake_parse_arguments(ARG "" "" "HEADERS;DEPS" ${ARGN})
  if(TARGET ${name})
    return()
  endif()
  set(source ${CMAKE_BINARY_DIR}/pch/${name}.cpp)
  if(type STREQUAL "EXECUTABLE")
    file(WRITE ${source} "int main() { return 0; }\n")
    add_executable(${name} EXCLUDE_FROM_ALL ${source})
  else()
    file(WRITE ${source} "// Compiles the shared precompiled header.\n")
    add_library(${name} STATIC EXCLUDE_FROM_ALL ${source})
  endif()
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  target_precompile_headers(${name} PRIVATE ${ARG_HEADERS})
  qx_warnings(${name})
  if(name MATCHES "^qx_pch_(test|replay)")
    qx_test_options(${name})
  endif()
endfunction()

function(qx_apply_precompiled_headers)
  if(NOT QX_PCH)
    return()
  endif()
  set(std_headers <algorithm> <atomic> <chrono> <cmath> <cstdint> <cstring> <functional>
      <map> <memory> <mutex> <optional> <string> <string_view> <thread> <utility> <vector>)
  set(test_headers <gtest/gtest.h> <gmock/gmock.h>)
  get_property(consumers GLOBAL PROPERTY QX_PCH_CONSUMERS)
  foreach(entry IN LISTS consumers)
    string(REPLACE "|" ";" parts "${entry}")
    list(GET parts 0 target)
    list(GET parts 1 kind)
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "EXECUTABLE")
      set(type STATIC_LIBRARY)
    endif()
    qx_links_qt(${target} qt)
    set(headers ${std_headers})
    set(deps "")
    string(TOLOWER "qx_pch_${kind}_${type}" pch)
    if(kind STREQUAL "test")
      list(APPEND headers ${test_headers})
      list(APPEND deps GTest::gtest GTest::gmock)
    endif()
    if(qt)
      list(APPEND deps Qt6::Widgets)
      set(pch ${pch}_qt)
    endif()
    qx_pch_target(${pch} ${type} HEADERS ${headers} DEPS ${deps})
    target_precompile_headers(${target} REUSE_FROM ${pch})
    # GCC 12 loses '#pragma GCC diagnostic' from a precompiled header, among them the
    # standard library's own silencing of these three false reports on optimised string
    # copies (bits/char_traits.h), which test code trips by moving a string out of a
    # concatenation. Library code, and builds without precompiled headers, keep them.
    if(NOT kind STREQUAL "lib" AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
      target_compile_options(${target} PRIVATE -Wno-array-bounds -Wno-stringop-overflow -Wno-stringop-overread)
    endif()
  endforeach()
endfunction()
