# Tests of the authoring tools: golden outputs of both tools on sample media,
# and the preview's trace against launcher_sim's. Included by
# tools/authoring/tools.cmake once the tools are defined.
set(TOOLS_TEST_DIR ${CMAKE_SOURCE_DIR}/tests/tools)
set(TOOLS_MEDIA ${TOOLS_TEST_DIR}/media)
set(TOOLS_EXPECTED ${TOOLS_TEST_DIR}/expected)

# The Windows builds run under Wine for the cases marked WINE, against the
# same expected outputs; the host build runs every case.
set(tools_wine_prefix ${CMAKE_BINARY_DIR}/tools-wineprefix)
function(tools_golden name folder status tool)
  cmake_parse_arguments(PARSE_ARGV 4 case "WINE;STDERR" "" "")
  set(stderr_option)
  if(case_STDERR)
    set(stderr_option --stderr)
  endif()
  if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
    if(NOT case_WINE)
      return()
    endif()
    add_test(NAME tools.wine.${name}
      COMMAND /usr/bin/python3 ${TOOLS_TEST_DIR}/golden.py --cwd ${folder}
        --expect ${TOOLS_EXPECTED}/${name}.txt --status ${status} ${stderr_option} --wine ${tools_wine_prefix}
        -- $<TARGET_FILE:${tool}> ${case_UNPARSED_ARGUMENTS})
    # One prefix, made by the first of them: they run one after the other.
    set_tests_properties(tools.wine.${name} PROPERTIES RESOURCE_LOCK tools_wine_prefix TIMEOUT 300)
  else()
    add_test(NAME tools.${name}
      COMMAND /usr/bin/python3 ${TOOLS_TEST_DIR}/golden.py --cwd ${folder}
        --expect ${TOOLS_EXPECTED}/${name}.txt --status ${status} ${stderr_option}
        -- $<TARGET_FILE:${tool}> ${case_UNPARSED_ARGUMENTS})
  endif()
endfunction()

set(device_state --register 8=208,37=5,38=1 --hardware-id "USB\\VID_1B80&PID_E411&MI_00")
#            name                        folder              status tool           arguments
tools_golden(preview.sample.xp           ${CMAKE_SOURCE_DIR} 0 setup-preview sample/medium XP)
tools_golden(preview.sample.matrix       ${CMAKE_SOURCE_DIR} 0 setup-preview --matrix sample/medium WINE)
tools_golden(preview.full.vista_x64      ${TOOLS_MEDIA}      0 setup-preview full "Vista x64" ${device_state} WINE)
tools_golden(preview.full.vista.dialogs    ${TOOLS_MEDIA}      0 setup-preview full Vista --foreign-dialog decoy_edit_direct:1:Decoy --foreign-dialog marker_static:1 --foreign-dialog marker_edit:1:Confirm:Update)
tools_golden(preview.full.7sp1           ${TOOLS_MEDIA}      0 setup-preview full "7 SP1")
tools_golden(preview.full.matrix         ${TOOLS_MEDIA}      0 setup-preview --matrix full ${device_state})
tools_golden(preview.partial.xp          ${TOOLS_MEDIA}      0 setup-preview partial XP)
tools_golden(preview.partial.xp_x64      ${TOOLS_MEDIA}      0 setup-preview partial "XP x64" --finish-mark=no)
tools_golden(preview.partial.matrix      ${TOOLS_MEDIA}      0 setup-preview --matrix partial)
tools_golden(preview.missing             ${TOOLS_MEDIA}      2 setup-preview no-such-medium XP STDERR)
tools_golden(check.sample                ${CMAKE_SOURCE_DIR} 1 setting-check sample/medium)
tools_golden(check.sample.settings_only  ${CMAKE_SOURCE_DIR} 0 setting-check --settings-only sample/medium)
tools_golden(check.broken                ${TOOLS_MEDIA}      1 setting-check broken WINE)
tools_golden(check.partial               ${TOOLS_MEDIA}      1 setting-check partial)
tools_golden(check.full                  ${TOOLS_MEDIA}      0 setting-check full/Setting.ini)
tools_golden(check.missing               ${TOOLS_MEDIA}      2 setting-check no-such-medium STDERR)

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows")
  add_test(NAME tools.preview_trace_is_launcher_trace
    COMMAND /usr/bin/python3 ${TOOLS_TEST_DIR}/same_trace.py
      --preview $<TARGET_FILE:setup-preview> --launcher-sim $<TARGET_FILE:launcher_sim>
      --root ${CMAKE_SOURCE_DIR})
endif()

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows")
  add_executable(authoring_tests ${TOOLS_TEST_DIR}/unit/SettingCheckTest.cpp)
  target_link_libraries(authoring_tests PRIVATE authoring GTest::gtest_main)
  gtest_discover_tests(authoring_tests DISCOVERY_TIMEOUT 30)
endif()
