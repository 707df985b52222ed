// The class library's application object: the title from the executable's
// file name, the hidden application window, and a whole process that keeps
// running normally whatever memory it is refused.
#include <gtest/gtest.h>

#include "platform/sim/world.h"
#include "tests/sim_test_support.h"

namespace {

using test::Bytes;

class ApplicationTest : public test::SimulatedWindowsTest {
 protected:
  std::string Title() {
    outcome = sim::RunWithClassLibrary(world, [] {});
    const sim::Window* application = world.ApplicationWindow();
    return application == nullptr ? "<no window>" : application->setup.title;
  }
};

struct TitleCase {
  const char* name;
  UINT codePage;
  std::string modulePath;
  std::string title;
};

void PrintTo(const TitleCase& c, std::ostream* out) { *out << c.name; }

class TitleTest : public ApplicationTest, public ::testing::WithParamInterface<TitleCase> {};

TEST_P(TitleTest, IsTheFileNameUpToItsFirstDotLowerCasedAfterItsFirstCharacter) {
  world.UseCodePage(GetParam().codePage);
  world.modulePath = GetParam().modulePath;
  EXPECT_EQ(GetParam().title, Title());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, TitleTest,
    ::testing::Values(
        TitleCase{"Plain", 1252, "C:\\Program Files\\Launcher\\Launcher.exe", "Launcher"},
        TitleCase{"SeveralDots", 1252, "C:\\Tools\\my.tool.v2.exe", "my"},
        TitleCase{"Capitals", 1252, "C:\\TOOLS\\LAUNCHER.EXE", "Launcher"},
        TitleCase{"LowerCaseFirstLetter", 1252, "C:\\Tools\\launcher.exe", "launcher"},
        TitleCase{"LeadingDot", 1252, "C:\\Tools\\.launcher.exe", ""},
        TitleCase{"DotsInTheDirectory", 1252, "C:\\v1.2\\Run.exe", "Run"},
        TitleCase{"NoDirectory", 1252, "Start.exe", "Start"},
        TitleCase{"NoExtension", 1252, "C:\\Tools\\RunNow", "Runnow"},
        // ANSI, as the system returns it: no OEM conversion mangles it.
        TitleCase{"AccentedCapitals", 1252, "C:\\Tools\\D\xC9" "BUT.EXE", "D\xE9" "but"},
        TitleCase{"AccentedFirstLetter", 1252, "C:\\Tools\\\xC9t\xC9.exe", "\xC9t\xE9"},
        // Japanese: the first character keeps both its bytes, and a
        // backslash byte inside a character is no separator.
        TitleCase{"DoubleByteFirstCharacter", 932, "C:\\Apps\\\x83\x41\x83\x76\x83\x8A.exe",
                  "\x83\x41\x83\x76\x83\x8A"},
        TitleCase{"BackslashAsSecondByte", 932, "C:\\Apps\\\x83\x5C\x83\x74\x83\x67.exe",
                  "\x83\x5C\x83\x74\x83\x67"},
        TitleCase{"BackslashAsSecondByteInTheDirectory", 932, "C:\\\x83\x5C\x83\x74\x83\x67\\TOOL.exe", "Tool"},
        TitleCase{"AsciiOnDoubleByteSystem", 932, "C:\\Tools\\SETUP.EXE", "Setup"}),
    [](const ::testing::TestParamInfo<TitleCase>& info) { return std::string(info.param.name); });

TEST_F(ApplicationTest, ALongPathStillGivesTheWholeFileName) {
  world.modulePath = "C:\\" + std::string(300, 'd') + "\\LongNamedLauncher.exe";
  EXPECT_EQ("Longnamedlauncher", Title());
  EXPECT_EQ((std::vector<std::string>{"GetModuleFileNameA(hinstance, buffer, 256) = 256",
                                      "GetModuleFileNameA(hinstance, buffer, 512) = 325"}),
            world.Calls({"GetModuleFileNameA"}));
}

TEST_F(ApplicationTest, TheHiddenWindowLivesFromStartUpToFinalisation) {
  world.modulePath = "C:\\Tools\\Launcher.exe";
  bool existedDuringTheRun = false;
  outcome = sim::RunWithClassLibrary(world, [&] { existedDuringTheRun = world.ApplicationWindow()->exists; });

  EXPECT_TRUE(existedDuringTheRun);
  const sim::Window* application = world.ApplicationWindow();
  ASSERT_NE(nullptr, application);
  EXPECT_EQ("TApplication", application->setup.className);
  EXPECT_EQ("Launcher", application->setup.title);
  EXPECT_FALSE(application->setup.visible);
  EXPECT_EQ(0, application->width);
  EXPECT_EQ(0, application->height);
  EXPECT_NE(nullptr, application->icon) << "MAINICON";
  EXPECT_FALSE(application->exists) << "destroyed at finalisation";
  EXPECT_TRUE(world.classes.empty()) << "class unregistered at finalisation";
}

// No desktop (a service, a session without a display): no window, no box,
// and still a normal end.
TEST_F(ApplicationTest, WithoutADesktopItGoesOnWithoutItsWindow) {
  world.desktopAvailable = false;
  world.AddTaskbar();
  world.SetAppPath(REG_DWORD, Bytes("\x01\0\0\0"));

  EXPECT_EQ(0, Run().exitCode);

  EXPECT_EQ(nullptr, world.ApplicationWindow());
  ASSERT_EQ(1u, world.boxes.size());
  EXPECT_EQ(nullptr, world.boxes[0].owner);
  EXPECT_EQ("Launcher", world.boxes[0].caption) << "the title is kept without a window";
}

TEST_F(ApplicationTest, WithoutMemoryForTheTitleItStartsWithAnEmptyOne) {
  world.failAllocationIf = [&](SIZE_T) { return world.CountCalls("RegisterClassA") == 0; };
  EXPECT_EQ("", Title());
}

// From any allocation on, every allocation fails: whatever the launcher
// could not do, it ends normally with 0, leaves no key open and no memory
// behind, and shows at most the box it could still prepare.
TEST(ProcessMemoryTest, RefusedMemoryFromAnyPointOnNeverEndsTheProcessAbnormally) {
  int from = 1;
  for (;; ++from) {
    sim::World world;
    world.AddKembrinWindow();
    world.AddTaskbar();
    world.SetEnvironment("SystemRoot", "C:\\Windows");
    world.SetAppPath(REG_EXPAND_SZ, Bytes("%SystemRoot%\\Program Files\\T.exe\0"));
    world.AddFile("C:\\Windows\\Program Files\\T.exe");
    world.failAllocationIf = [&](SIZE_T) { return world.allocations + 1 >= from; };

    const sim::ProcessOutcome outcome = sim::RunLauncherProcess(world);

    SCOPED_TRACE("allocations fail from number " + std::to_string(from));
    EXPECT_FALSE(outcome.crashed);
    EXPECT_EQ(0, outcome.exitCode);
    EXPECT_EQ(0, world.OpenKeyHandles());
    EXPECT_TRUE(world.liveBlocks.empty());
    EXPECT_LE(world.boxes.size(), 1u);
    if (world.starts.size() == 1 && world.boxes.empty()) {
      EXPECT_EQ("\"C:\\Windows\\Program Files\\T.exe\"", world.starts[0].commandLine);
      break;  // memory ran out only after everything was done
    }
    ASSERT_LT(from, 100);
  }
}

}  // namespace
