# The fuzz targets (see tests/fuzz/FuzzTarget.h). Each line names a target, the file that
# defines it, the test binary that replays its kept inputs, the unit list its driver starts
# (a test folder's Units.cpp) and the libraries it reads with. `scripts/fuzz list` reads
# the names from here.

# qh_fuzz_target(name SOURCE file TEST test_binary UNITS units_file LIBS lib...)
# Adds the target to its test binary, which then replays tests/fixtures/fuzz/<name> and
# tests/fuzz/corpus/<name>; with QH_FUZZ, also builds the driver fuzz-<name>.
function(qh_fuzz_target name)
  cmake_parse_arguments(ARG "" "SOURCE;TEST;UNITS" "LIBS" ${ARGN})
  set(dir ${PROJECT_SOURCE_DIR}/tests/fuzz)
  set(source ${dir}/${ARG_SOURCE})
  if(QH_BUILD_TESTS AND TARGET ${ARG_TEST})
    target_sources(${ARG_TEST} PRIVATE ${source} ${dir}/FuzzTarget.cpp ${dir}/FuzzReplay.cpp)
  endif()
  if(QH_FUZZ)
    add_executable(fuzz-${name} ${dir}/FuzzMain.cpp ${dir}/FuzzTarget.cpp ${source}
                                ${PROJECT_SOURCE_DIR}/${ARG_UNITS})
    qh_setup_target(fuzz-${name})
    target_compile_definitions(fuzz-${name} PRIVATE QH_FUZZ_TARGET_NAME="${name}")
    target_link_libraries(fuzz-${name} PRIVATE ${ARG_LIBS})
    add_dependencies(qh_fuzz_drivers fuzz-${name})
  endif()
endfunction()

if(QH_FUZZ)
  add_custom_target(qh_fuzz_drivers)
endif()

qh_fuzz_target(codec SOURCE CodecFuzz.cpp TEST rtl_tests UNITS tests/platform/rtl/Units.cpp LIBS rtl)
qh_fuzz_target(ini SOURCE IniFuzz.cpp TEST rtl_tests UNITS tests/platform/rtl/Units.cpp LIBS rtl)
qh_fuzz_target(component-stream SOURCE ComponentStreamFuzz.cpp TEST rtl_tests
               UNITS tests/platform/rtl/Units.cpp LIBS rtl)
qh_fuzz_target(picture SOURCE PictureFuzz.cpp TEST graphics_tests
               UNITS tests/platform/graphics/Units.cpp LIBS graphics)
qh_fuzz_target(filter SOURCE FilterFuzz.cpp TEST data_tests UNITS tests/platform/data/Units.cpp
               LIBS data)
qh_fuzz_target(script-pascal SOURCE ScriptFuzz.cpp TEST script_tests
               UNITS tests/report/script/Units.cpp LIBS script)
qh_fuzz_target(script-cpp SOURCE ScriptFuzz.cpp TEST script_tests
               UNITS tests/report/script/Units.cpp LIBS script)
qh_fuzz_target(script-js SOURCE ScriptFuzz.cpp TEST script_tests
               UNITS tests/report/script/Units.cpp LIBS script)
qh_fuzz_target(script-basic SOURCE ScriptFuzz.cpp TEST script_tests
               UNITS tests/report/script/Units.cpp LIBS script)
qh_fuzz_target(report-xml SOURCE ReportXmlFuzz.cpp TEST report_engine_tests
               UNITS tests/report/engine/Units.cpp LIBS report_engine)
qh_fuzz_target(layout-text SOURCE LayoutTextFuzz.cpp TEST app_tests
               UNITS tests/platform/rtl/Units.cpp LIBS app)
qh_fuzz_target(filter-criteria SOURCE FilterCriteriaFuzz.cpp TEST cx_data_tests
               UNITS tests/controls/cx/data/Units.cpp LIBS cx_data)
qh_fuzz_target(prepared-pages SOURCE PreparedPagesFuzz.cpp TEST report_engine_tests
               UNITS tests/report/engine/Units.cpp LIBS report_engine)
qh_fuzz_target(dip-reply SOURCE DipReplyFuzz.cpp TEST app_tests
               UNITS tests/platform/rtl/Units.cpp LIBS app)
qh_fuzz_target(grid-import SOURCE GridImportFuzz.cpp TEST eh_tests UNITS tests/controls/eh/Units.cpp
               LIBS eh)

qh_fuzz_target(dock-tree SOURCE DockTreeFuzz.cpp TEST report_output_tests
               UNITS tests/report/output/Units.cpp LIBS report_output)
