# The media authors' tools, built from the launcher's core and the simulated
# machine: setting-check and setup-preview. Included by the host build and by
# the Windows build (as console programs beside Setup.exe).
if(NOT TARGET simulated_machine)
  # The Windows build has no host tests, so the simulated machine is made here.
  file(GLOB authoring_sim_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/sim/*.cpp)
  add_library(simulated_machine STATIC ${authoring_sim_sources})
  target_include_directories(simulated_machine PUBLIC ${CMAKE_SOURCE_DIR})
  # Only the JSON headers are taken from the host, not its system headers.
  set(authoring_json_include ${CMAKE_BINARY_DIR}/authoring-json-include)
  file(MAKE_DIRECTORY ${authoring_json_include})
  file(CREATE_LINK ${LAUNCHER_NLOHMANN_INCLUDE}/nlohmann ${authoring_json_include}/nlohmann SYMBOLIC)
  target_include_directories(simulated_machine SYSTEM PUBLIC ${authoring_json_include})
endif()

add_library(authoring STATIC
  ${CMAKE_SOURCE_DIR}/tools/authoring/Medium.cpp
  ${CMAKE_SOURCE_DIR}/tools/authoring/LauncherReading.cpp
  ${CMAKE_SOURCE_DIR}/tools/authoring/SettingCheck.cpp
  ${CMAKE_SOURCE_DIR}/tools/authoring/NamedSystems.cpp
  ${CMAKE_SOURCE_DIR}/tools/authoring/Preview.cpp
)
target_include_directories(authoring PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(authoring PUBLIC launcher_core simulated_machine)

add_executable(setting-check ${CMAKE_SOURCE_DIR}/tools/setting_check.cpp)
target_link_libraries(setting-check PRIVATE authoring)
add_executable(setup-preview ${CMAKE_SOURCE_DIR}/tools/setup_preview.cpp)
target_link_libraries(setup-preview PRIVATE authoring)

if(CMAKE_SYSTEM_NAME STREQUAL "Windows")
  # Self-contained console programs: no C++ runtime DLLs beside them.
  foreach(tool setting-check setup-preview)
    target_link_options(${tool} PRIVATE -static -static-libgcc -static-libstdc++ -s)
    set_target_properties(${tool} PROPERTIES SUFFIX .exe)
  endforeach()
else()
  target_compile_options(authoring PRIVATE -Wall -Wextra -Werror)
endif()
include(${CMAKE_SOURCE_DIR}/tests/tools/tools-tests.cmake)
