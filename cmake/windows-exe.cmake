# Setup.exe: a 32-bit GUI program that loads on Windows XP SP3 and imports only
# the system's own DLLs. No exceptions, no RTTI, static runtime.
# (No -fdata-sections: MinGW then places zero-filled objects, the 18 KB
# application object among them, in .data instead of .bss.)
set(lean_flags -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -ffunction-sections)
target_compile_options(launcher_core PRIVATE ${lean_flags})
target_compile_definitions(launcher_core PRIVATE _WIN32_WINNT=0x0501 WINVER=0x0501)

add_executable(Setup WIN32
  app/WinMain.cpp
  platform/win32/Win32Platform.cpp
)
target_compile_options(Setup PRIVATE ${lean_flags})
target_compile_definitions(Setup PRIVATE _WIN32_WINNT=0x0501 WINVER=0x0501 WIN32_LEAN_AND_MEAN)
target_link_libraries(Setup PRIVATE launcher_core shell32 advapi32 user32 kernel32)
target_link_options(Setup PRIVATE
  -static -static-libgcc -static-libstdc++ -s
  -Wl,--gc-sections
  -Wl,--major-os-version,5,--minor-os-version,1
  -Wl,--major-subsystem-version,5,--minor-subsystem-version,1
)
set_target_properties(Setup PROPERTIES OUTPUT_NAME Setup SUFFIX .exe)

if(EXISTS ${CMAKE_SOURCE_DIR}/res/CMakeLists.txt)
  add_subdirectory(res)
  target_link_libraries(Setup PRIVATE setup_resources)
endif()

enable_testing()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/exe/CMakeLists.txt)
  add_subdirectory(tests/exe)
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  add_subdirectory(tests/e2e)
endif()
