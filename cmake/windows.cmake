# The Windows build: dist/Launcher.exe, a 32-bit GUI program linked
# statically, so that it needs nothing but system DLLs.
enable_language(RC)

# Small code; processor faults of our own code can unwind as errors.
set(PROGRAM_COMPILE_OPTIONS -fnon-call-exceptions -ffunction-sections -fdata-sections)
set(PROGRAM_LINK_OPTIONS -static -mwindows -s -Wl,--gc-sections)

set(WINDOWS_SOURCES
  platform/classlib/windows_startup.cpp
  resources/launcher.rc
)

add_executable(Launcher WIN32 ${PROGRAM_SOURCES} ${WINDOWS_SOURCES})
target_include_directories(Launcher PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(Launcher PRIVATE ${PROGRAM_COMPILE_OPTIONS})
target_link_options(Launcher PRIVATE ${PROGRAM_LINK_OPTIONS})
set_target_properties(Launcher PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_SOURCE_DIR}/dist)

# Test-only: the same program with a lookup that faults inside the guarded
# scope. Never shipped.
set(PROBE_SOURCES ${PROGRAM_SOURCES})
list(REMOVE_ITEM PROBE_SOURCES lookup/registered_path.cpp)
add_executable(LauncherFaultProbe WIN32 ${PROBE_SOURCES} ${WINDOWS_SOURCES} tests/windows/fault_probe_lookup.cpp)
target_include_directories(LauncherFaultProbe PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(LauncherFaultProbe PRIVATE ${PROGRAM_COMPILE_OPTIONS})
target_link_options(LauncherFaultProbe PRIVATE ${PROGRAM_LINK_OPTIONS})

enable_testing()
if(EXISTS ${PROJECT_SOURCE_DIR}/tests/wine/CMakeLists.txt)
  add_subdirectory(tests/wine)
endif()
