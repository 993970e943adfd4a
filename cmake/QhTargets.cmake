# Helpers shared by every library, test and benchmark target.

set(QH_WARNINGS -Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers)
# Sources are UTF-8; narrow literals become GBK, the program's internal text encoding.
set(QH_CHARSET -finput-charset=UTF-8 -fexec-charset=GBK)

function(qh_setup_target target)
  target_compile_options(${target} PRIVATE ${QH_WARNINGS} ${QH_CHARSET})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
endfunction()

# qh_library(name dir [EXTRA_DIRS dir...] [DEPS lib...] [SYSTEM_LIBS lib...])
# Every .cpp directly inside dir (and inside each EXTRA_DIRS folder) belongs to the library;
# other subfolders are libraries of their own.
function(qh_library name dir)
  cmake_parse_arguments(ARG "" "" "EXTRA_DIRS;DEPS;SYSTEM_LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
  foreach(extra ${ARG_EXTRA_DIRS})
    file(GLOB extra_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${extra}/*.cpp)
    list(APPEND sources ${extra_sources})
  endforeach()
  add_library(${name} STATIC ${sources})
  qh_setup_target(${name})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS} ${ARG_SYSTEM_LIBS})
  if(QH_UNITY)
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
  endif()
endfunction()

# qh_test(name dir lib... [WRAPPER command...]): one GoogleTest binary from every .cpp in
# dir (recursively); WRAPPER runs it through another command (e.g. a virtual display).
function(qh_test name dir)
  cmake_parse_arguments(ARG "" "" "WRAPPER" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
  add_executable(${name} ${sources})
  qh_setup_target(${name})
  target_link_libraries(${name} PRIVATE ${ARG_UNPARSED_ARGUMENTS} qh_testmain GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE QH_FIXTURES="${PROJECT_SOURCE_DIR}/tests/fixtures")
  if(QH_UNITY)
    set_target_properties(${name} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE 8)
  endif()
  add_test(NAME ${name} COMMAND ${ARG_WRAPPER} $<TARGET_FILE:${name}> --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES TIMEOUT 900)
endfunction()

# qh_bench(name source lib...)
function(qh_bench name source)
  add_executable(${name} ${source})
  qh_setup_target(${name})
  target_link_libraries(${name} PRIVATE ${ARGN} benchmark::benchmark)
endfunction()
