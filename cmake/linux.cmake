# The Linux build: the program against the simulated Windows, with the tests
# and the demo, all under AddressSanitizer and UndefinedBehaviorSanitizer.
set(SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
add_compile_options(${SANITIZERS})
add_link_options(${SANITIZERS})

add_library(launcher_program STATIC ${PROGRAM_SOURCES})
target_include_directories(launcher_program PUBLIC ${PROJECT_SOURCE_DIR})

add_library(simulated_windows STATIC
  platform/sim/entry_points.cpp
  platform/sim/process.cpp
  platform/sim/world.cpp
)
target_include_directories(simulated_windows PUBLIC ${PROJECT_SOURCE_DIR})
# The program calls the Win32 entry points; the simulation provides them and
# runs the program's WinMain, so each needs the other at link time.
target_link_libraries(simulated_windows PUBLIC launcher_program)
target_link_libraries(launcher_program PUBLIC simulated_windows)

add_executable(simulated_demo tests/sim_demo.cpp)
target_link_libraries(simulated_demo PRIVATE simulated_windows)

enable_testing()
find_package(GTest REQUIRED)
include(GoogleTest)
add_executable(launcher_tests
  tests/launch_sequence_test.cpp
  tests/registered_path_test.cpp
  tests/report_test.cpp
  tests/class_library_test.cpp
)
target_link_libraries(launcher_tests PRIVATE simulated_windows GTest::gtest_main)
gtest_discover_tests(launcher_tests
  PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1")
