# Host build: the simulated Windows machine, a runner that plays a scenario
# through the launcher, and the unit tests.
option(LAUNCHER_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
# The fuzz build (clang): the core and the simulated machine instrumented for
# libFuzzer, with both sanitizers; it builds the fuzz targets instead of the
# unit tests (cmake/fuzz.cmake).
option(LAUNCHER_FUZZ "Build the libFuzzer targets (clang)" OFF)
# The directory options reach only the targets made after them; the core was
# made before this file is read, so it gets the same options of its own (the
# launcher's code is what the sanitizers and the fuzzers are there for).
set(instrumentation)
if(LAUNCHER_FUZZ)
  set(instrumentation -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
endif()
if(LAUNCHER_SANITIZE)
  set(instrumentation -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
endif()
if(instrumentation)
  add_compile_options(${instrumentation})
  add_link_options(-fsanitize=address,undefined)
  target_compile_options(launcher_core PRIVATE ${instrumentation})
endif()
target_compile_options(launcher_core PRIVATE -Wall -Wextra -Werror)

find_package(nlohmann_json 3 REQUIRED)

add_library(simulated_machine STATIC
  platform/sim/EffectTrace.cpp
  platform/sim/CodePage.cpp
  platform/sim/NamedSystems.cpp
  platform/sim/WindowsPath.cpp
  platform/sim/SimFileSystem.cpp
  platform/sim/SimRegistry.cpp
  platform/sim/ProfileFile.cpp
  platform/sim/SimProcesses.cpp
  platform/sim/SimShell.cpp
  platform/sim/SimUser.cpp
  platform/sim/SimDeviceTree.cpp
  platform/sim/SimCapture.cpp
  platform/sim/SimWindows.cpp
  platform/sim/SimSecurity.cpp
  platform/sim/WindowScenario.cpp
  platform/sim/SimulatedMachine.cpp
  platform/sim/Scenario.cpp
)
target_include_directories(simulated_machine PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(simulated_machine PUBLIC nlohmann_json::nlohmann_json)
target_compile_options(simulated_machine PRIVATE -Wall -Wextra -Werror)

add_executable(launcher_sim tools/launcher_sim.cpp)
target_link_libraries(launcher_sim PRIVATE launcher_core simulated_machine)

# The window-manager calls of one foreign-dialog scan, by number of dialogs.
add_executable(scan_cost tools/scan_cost.cpp)
target_link_libraries(scan_cost PRIVATE launcher_core simulated_machine)

enable_testing()
if(LAUNCHER_FUZZ)
  include(cmake/fuzz.cmake)
  return()
endif()

find_package(GTest REQUIRED)
add_executable(unit_tests
  tests/unit/TextTest.cpp
  tests/unit/CommandLineTest.cpp
  tests/unit/SimulatedMachineTest.cpp
  tests/unit/SettingsTest.cpp
  tests/unit/ProbesTest.cpp
  tests/unit/InstallSequenceTest.cpp
  tests/unit/PackagesTest.cpp
  tests/unit/AudioClassTest.cpp
  tests/unit/DeviceChannelTest.cpp
  tests/unit/DeviceScanTest.cpp
  tests/unit/SimDevicesTest.cpp
  tests/unit/ArgumentRuleTest.cpp
  tests/unit/BadInputTest.cpp
  tests/unit/WindowsRulesTest.cpp
  tests/unit/ForeignDialogsTest.cpp
  tests/unit/CompletionDialogTest.cpp
  tests/unit/WindowScenarioTest.cpp
)
target_link_libraries(unit_tests PRIVATE launcher_core simulated_machine GTest::gtest_main)
include(GoogleTest)
gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 30)

# The media authors' tools: setting-check and setup-preview.
include(${CMAKE_SOURCE_DIR}/tools/authoring/tools.cmake)

add_test(NAME sample.medium
  COMMAND launcher_sim ${CMAKE_SOURCE_DIR}/sample/scenario-xp32.json --expect ${CMAKE_SOURCE_DIR}/sample/expected-xp32.jsonl)

# The end-to-end cases, played on the simulated machine against the same
# expectations they meet under Wine.
add_test(NAME sim.e2e_cases
  COMMAND /usr/bin/python3 ${CMAKE_SOURCE_DIR}/tests/e2e/sim_check.py --launcher-sim $<TARGET_FILE:launcher_sim>)
