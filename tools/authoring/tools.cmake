# The media authors' tools, built from the launcher's core and the simulated
# machine: setting-check and setup-preview. Included by the host build and by
# the Windows build (as console programs beside Setup.exe).
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

if(NOT CMAKE_SYSTEM_NAME STREQUAL "Windows")
  target_compile_options(authoring PRIVATE -Wall -Wextra -Werror)
endif()
