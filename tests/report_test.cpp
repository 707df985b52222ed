// The error report: the full-stop rule, the caption, the box settings, the
// message-box service, and what happens when the report cannot be made.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/classlib/application.h"
#include "platform/sim/world.h"
#include "report/report_exception.h"
#include "tests/sim_test_support.h"

namespace {

using test::Bytes;

class TestError : public Exception {
 public:
  explicit TestError(const std::string& message) : Exception(AnsiString(message.data(), message.size())) {}
};

class ReportTest : public test::SimulatedWindowsTest {
 protected:
  void Report(const std::string& message) {
    outcome = sim::RunWithClassLibrary(world, [&] { ReportException(TestError(message)); });
  }
};

struct FullStopCase {
  const char* name;
  UINT codePage;
  std::string message;
  std::string shown;
};

void PrintTo(const FullStopCase& c, std::ostream* out) { *out << c.name; }

class FullStopTest : public ReportTest, public ::testing::WithParamInterface<FullStopCase> {};

TEST_P(FullStopTest, IsAppendedAfterACharacterAboveTheFullStop) {
  world.UseCodePage(GetParam().codePage);
  Report(GetParam().message);
  ASSERT_EQ(1u, world.boxes.size());
  EXPECT_EQ(GetParam().shown, world.boxes[0].text);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, FullStopTest,
    ::testing::Values(
        FullStopCase{"ReadFailureEndsInApostrophe", 1252, test::kReadFailure, test::kReadFailure},
        FullStopCase{"WrongTypeEndsInApostrophe", 1252, test::kWrongType, test::kWrongType},
        FullStopCase{"OutOfMemory", 1252, "Out of memory", "Out of memory."},
        FullStopCase{"ClassName", 1252, "EAccessViolation", "EAccessViolation."},
        FullStopCase{"Empty", 1252, "", ""},
        FullStopCase{"FullStopAlready", 1252, "Done.", "Done."},
        FullStopCase{"QuestionMark", 1252, "Why?", "Why?."},
        FullStopCase{"Colon", 1252, "Path:", "Path:."},
        FullStopCase{"Digit", 1252, "Error 5", "Error 5."},
        FullStopCase{"ExclamationMark", 1252, "Stop!", "Stop!"},
        FullStopCase{"ClosingParenthesis", 1252, "(none)", "(none)"},
        FullStopCase{"Comma", 1252, "a,", "a,"},
        FullStopCase{"Hyphen", 1252, "a-", "a-"},
        FullStopCase{"Space", 1252, "a ", "a "},
        FullStopCase{"Slash", 1252, "a/", "a/."},
        FullStopCase{"AccentedLetter", 1252, "Caf\xE9", "Caf\xE9."},
        FullStopCase{"DoubleByteCharacter", 932, "\x83\x41\x83\x76\x83\x8A", "\x83\x41\x83\x76\x83\x8A."},
        // A lead byte right before a final "." makes it the second byte of
        // a double-byte character, judged by that lead byte.
        FullStopCase{"DotAfterOneLeadByte", 932, "a\x81.", "a\x81.."},
        FullStopCase{"DotAfterTwoLeadBytes", 932, "a\x81\x81.", "a\x81\x81."},
        FullStopCase{"DotAfterLeadByteInSingleByteCodePage", 1252, "a\x81.", "a\x81."}),
    [](const ::testing::TestParamInfo<FullStopCase>& info) { return std::string(info.param.name); });

TEST_F(ReportTest, ShowsAnErrorBoxOwnedByTheApplicationWindowUnderItsTitle) {
  world.modulePath = "C:\\Tools\\Launcher.exe";

  Report("Out of memory");

  const sim::Window* application = world.ApplicationWindow();
  ASSERT_NE(nullptr, application);
  EXPECT_EQ((std::vector<std::string>{"GetWindowTextA(" + sim::Name(application->handle) + ", buffer, 256) = 8",
                                      "MessageBoxA(" + sim::Name(application->handle) +
                                          ", \"Out of memory.\", \"Launcher\", 0x10) = 1"}),
            world.Calls({"GetWindowTextA", "MessageBoxA"}));
  EXPECT_EQ(0, outcome.exitCode);
}

TEST_F(ReportTest, AnEmptyTitleGivesAnEmptyCaption) {
  world.modulePath = "C:\\Tools\\.hidden.exe";
  Report("x");
  ASSERT_EQ(1u, world.boxes.size());
  EXPECT_EQ("", world.boxes[0].caption);
}

TEST_F(ReportTest, ABoxThatCannotBeShownEndsTheReportAsIfClosed) {
  world.AddTaskbar();
  world.SetAppPath(REG_DWORD, Bytes("\x01\0\0\0"));
  world.answerBox = [](sim::MessageBoxRecord&) { return 0; };

  EXPECT_EQ(0, Run().exitCode);
  EXPECT_EQ(1u, world.boxes.size());
}

// The message-box service disables the thread's visible, enabled windows
// while the box is up, enables again those that still exist, and activates
// again the window that was active.
TEST_F(ReportTest, DisablesTheThreadsWindowsWhileTheBoxIsUp) {
  auto threadWindow = [&](bool visible, bool enabled) {
    sim::WindowSetup setup;
    setup.title = "tool window";
    setup.thread = sim::kLauncherThread;
    setup.visible = visible;
    setup.enabled = enabled;
    return world.AddWindow(setup);
  };
  const HWND shown = threadWindow(true, true);
  const HWND goesAway = threadWindow(true, true);
  const HWND alreadyDisabled = threadWindow(true, false);
  const HWND hidden = threadWindow(false, true);
  sim::WindowSetup otherSetup;
  otherSetup.title = "another program";
  const HWND otherThread = world.AddWindow(otherSetup);
  world.activeWindow = shown;
  world.answerBox = [&](sim::MessageBoxRecord&) {
    world.FindWindowRecord(goesAway)->exists = false;
    world.activeWindow = nullptr;  // the box took the activation
    return IDOK;
  };

  Report("x");

  ASSERT_EQ(1u, world.boxes.size());
  const std::vector<HWND>& enabledDuring = world.boxes[0].enabledThreadWindows;
  EXPECT_EQ(0, std::count(enabledDuring.begin(), enabledDuring.end(), shown));
  EXPECT_EQ(0, std::count(enabledDuring.begin(), enabledDuring.end(), goesAway));
  EXPECT_EQ(1, std::count(enabledDuring.begin(), enabledDuring.end(), hidden));
  EXPECT_TRUE(world.FindWindowRecord(shown)->setup.enabled);
  EXPECT_FALSE(world.FindWindowRecord(alreadyDisabled)->setup.enabled);
  EXPECT_TRUE(world.FindWindowRecord(otherThread)->setup.enabled);
  EXPECT_EQ((std::vector<std::string>{"EnableWindow(" + sim::Name(shown) + ", 0) = 0",
                                      "EnableWindow(" + sim::Name(goesAway) + ", 0) = 0",
                                      "EnableWindow(" + sim::Name(shown) + ", 1) = 1"}),
            world.Calls({"EnableWindow"}));
  EXPECT_EQ(shown, world.activeWindow);
}

TEST_F(ReportTest, WithoutAnActiveWindowNothingIsActivatedAfterwards) {
  Report("x");
  EXPECT_EQ(0, world.CountCalls("SetActiveWindow"));
  EXPECT_EQ(0, world.CountCalls("EnableWindow"));
}

// Without memory for the text, the caption or the service's window list the
// report raises before any box is shown; WinMain catches it and ends with 0.
TEST_F(ReportTest, EveryAllocationOfTheReportCanFailWithoutEndingTheProcessAbnormally) {
  int failing = 1;
  for (;; ++failing) {
    sim::World world;
    world.AddTaskbar();
    for (int i = 0; i < 10; ++i) {  // enough windows that the service's list must grow
      sim::WindowSetup setup;
      setup.title = "tool window";
      setup.thread = sim::kLauncherThread;
      world.AddWindow(setup);
    }
    world.SetAppPath(REG_DWORD, Bytes("\x01\0\0\0"));
    int reportAllocations = 0;
    world.failAllocationIf = [&](SIZE_T) {
      const bool inReport = world.CountCalls("RegCloseKey") == 1;  // the lookup is over
      return inReport && ++reportAllocations == failing;
    };

    const sim::ProcessOutcome result = sim::RunLauncherProcess(world);

    if (reportAllocations < failing) break;
    SCOPED_TRACE("allocation " + std::to_string(failing) + " of the report fails");
    EXPECT_FALSE(result.crashed);
    EXPECT_EQ(0, result.exitCode);
    EXPECT_TRUE(world.boxes.empty());
    EXPECT_EQ(0, world.CountCalls("EnableWindow")) << "no window may be left disabled";
    EXPECT_TRUE(world.liveBlocks.empty());
    ASSERT_LT(failing, 50);
  }
  EXPECT_GE(failing - 1, 3);  // the text, the caption buffer, the caption, the window list
}

}  // namespace
