# The Windows build: dist/Launcher.exe, a 32-bit GUI program linked
# statically, so that it needs nothing but system DLLs.
enable_language(RC)

# Small code; processor faults of our own code can unwind as errors.
set(PROGRAM_COMPILE_OPTIONS -fnon-call-exceptions -ffunction-sections -fdata-sections)

# The program brings its own start-up (platform/classlib/windows_startup.cpp)
# instead of the C run-time's, which would more than double its size. The
# link is spelled out: crtbegin.o first and crtend.o last, so the unwind
# tables of the libraries lie between the start of the table and its end
# marker; no pseudo-relocations, since nobody would apply them.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=crtbegin.o
                OUTPUT_VARIABLE CRT_BEGIN OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=crtend.o
                OUTPUT_VARIABLE CRT_END OUTPUT_STRIP_TRAILING_WHITESPACE)
set(PROGRAM_LINK_OPTIONS -static -mwindows -s -nostdlib -Wl,--gc-sections -Wl,-e,_LauncherStartup
    -Wl,--disable-runtime-pseudo-reloc ${CRT_BEGIN})
set(PROGRAM_LINK_LIBRARIES
    -Wl,--start-group stdc++ mingw32 gcc gcc_eh mingwex msvcrt kernel32 user32 advapi32 -Wl,--end-group
    ${CRT_END})

set(WINDOWS_SOURCES
  platform/classlib/windows_startup.cpp
  resources/launcher.rc
)

set_source_files_properties(resources/launcher.rc PROPERTIES OBJECT_DEPENDS
  "${PROJECT_SOURCE_DIR}/resources/launcher.ico;${PROJECT_SOURCE_DIR}/resources/launcher.manifest")

add_executable(Launcher WIN32 ${PROGRAM_SOURCES} ${WINDOWS_SOURCES})
target_include_directories(Launcher PRIVATE ${PROJECT_SOURCE_DIR})
target_compile_options(Launcher PRIVATE ${PROGRAM_COMPILE_OPTIONS})
target_link_options(Launcher PRIVATE ${PROGRAM_LINK_OPTIONS})
target_link_libraries(Launcher PRIVATE ${PROGRAM_LINK_LIBRARIES})
set_target_properties(Launcher PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_SOURCE_DIR}/dist)

# Test-only: the same program with a lookup that makes an access violation,
# or overflows the stack, inside the guarded scope. Never shipped.
set(PROBE_SOURCES ${PROGRAM_SOURCES})
list(REMOVE_ITEM PROBE_SOURCES lookup/registered_path.cpp)
foreach(probe IN ITEMS Fault Stack)
  string(TOLOWER ${probe} probe_file)
  add_executable(Launcher${probe}Probe WIN32
    ${PROBE_SOURCES} ${WINDOWS_SOURCES} tests/windows/${probe_file}_probe_lookup.cpp)
  target_include_directories(Launcher${probe}Probe PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_options(Launcher${probe}Probe PRIVATE ${PROGRAM_COMPILE_OPTIONS})
  target_link_options(Launcher${probe}Probe PRIVATE ${PROGRAM_LINK_OPTIONS})
  target_link_libraries(Launcher${probe}Probe PRIVATE ${PROGRAM_LINK_LIBRARIES})
endforeach()

enable_testing()
if(EXISTS ${PROJECT_SOURCE_DIR}/tests/wine/CMakeLists.txt)
  add_subdirectory(tests/wine)
endif()
