// The launch sequence: close request and wait, taskbar test, start, the
// guarded scope and its one handler, exit code 0.
#include <gtest/gtest.h>

#include "platform/sim/world.h"
#include "tests/sim_test_support.h"

namespace {

using test::Bytes;
using test::kAppPathKey;

const std::vector<std::string> kSequenceCalls = {"FindWindowA", "SendMessageTimeoutA", "Sleep", "RegOpenKeyExA",
                                                 "RegCloseKey", "WinExec",    "MessageBoxA"};

std::string CloseRequest(HWND window) {
  return "SendMessageTimeoutA(" + sim::Name(window) +
         ", WM_CLOSE, 0, 0, 0xA, 10000, &result)";  // SMTO_ABORTIFHUNG | SMTO_NOTIMEOUTIFNOTHUNG
}

class LaunchSequenceTest : public test::SimulatedWindowsTest {};

TEST_F(LaunchSequenceTest, ClosesKembrinWaitsThenStartsTheRegisteredCommandLine) {
  const HWND kembrin = world.AddKembrinWindow();
  const HWND taskbar = world.AddTaskbar();
  world.SetAppPath(REG_SZ, Bytes("C:\\Tavimond\\Tavimond.exe\0"));

  EXPECT_EQ(0, Run().exitCode);

  const std::vector<std::string> expected = {
      "FindWindowA(NULL, \"Kembrin\") = " + sim::Name(kembrin),
      CloseRequest(kembrin) + " = 1",
      "Sleep(2000)",
      "FindWindowA(\"Shell_TrayWnd\", NULL) = " + sim::Name(taskbar),
      "RegOpenKeyExA(HKEY_LOCAL_MACHINE, " + sim::Quote(kAppPathKey) + ", 0, 0x20019, &key) = 0 -> " + sim::Name(world.keysOpened.at(0)),
      "RegCloseKey(" + sim::Name(world.keysOpened.at(0)) + ") = 0",
      "WinExec(\"C:\\\\Tavimond\\\\Tavimond.exe\", 10) = 33",
  };
  EXPECT_EQ(expected, world.Calls(kSequenceCalls));
  EXPECT_EQ(1, world.CloseRequestsTo(kembrin));
  ASSERT_EQ(1u, world.starts.size());
  EXPECT_EQ(2000u, world.starts[0].atMs);
  EXPECT_TRUE(world.boxes.empty());
}

TEST_F(LaunchSequenceTest, WithoutKembrinNeitherAsksNorWaits) {
  world.AddTaskbar();
  world.SetAppPath(REG_SZ, Bytes("C:\\T.exe\0"));

  EXPECT_EQ(0, Run().exitCode);

  EXPECT_EQ(0, world.CountCalls("SendMessageTimeoutA"));
  EXPECT_EQ(0, world.CountCalls("Sleep"));
  ASSERT_EQ(1u, world.starts.size());
  EXPECT_EQ(0u, world.starts[0].atMs);
}

// However the window answers, there is exactly one request and one 2000 ms
// wait after it; only how long the send itself took differs. A window still
// processing messages is waited for however long it takes; a hung one no
// longer holds the launcher.
struct CloseCase {
  const char* name;
  sim::Answer answer;
  DWORD answerDelayMs;
  bool closes;
  LRESULT sent;
  uint64_t startAtMs;
  bool stillOpen;
};

class CloseRequestTest : public LaunchSequenceTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CloseRequestTest, OneRequestThenTwoSeconds) {
  const CloseCase& c = GetParam();
  sim::WindowSetup setup;
  setup.title = "Kembrin";
  setup.answer = c.answer;
  setup.answerDelayMs = c.answerDelayMs;
  setup.closesOnRequest = c.closes;
  const HWND kembrin = world.AddWindow(setup);
  const HWND taskbar = world.AddTaskbar();

  EXPECT_EQ(0, Run().exitCode);

  EXPECT_EQ((std::vector<std::string>{"FindWindowA(NULL, \"Kembrin\") = " + sim::Name(kembrin),
                                      CloseRequest(kembrin) + " = " + std::to_string(c.sent), "Sleep(2000)",
                                      "FindWindowA(\"Shell_TrayWnd\", NULL) = " + sim::Name(taskbar)}),
            world.Calls({"FindWindowA", "SendMessageTimeoutA", "Sleep"}));
  EXPECT_EQ(c.stillOpen, world.WindowExists(kembrin));
  ASSERT_EQ(1u, world.starts.size());
  EXPECT_EQ(c.startAtMs, world.starts[0].atMs);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, CloseRequestTest,
    ::testing::Values(CloseCase{"ClosesAtOnce", sim::Answer::AtOnce, 0, true, 1, 2000, false},
                      CloseCase{"StaysOpen", sim::Answer::AtOnce, 0, false, 1, 2000, true},
                      CloseCase{"BusyForAMinuteButResponsive", sim::Answer::AfterDelay, 60000, true, 1, 62000, false},
                      CloseCase{"AlreadyHung", sim::Answer::AlreadyHung, 0, true, 0, 2000, true},
                      CloseCase{"NeverAnswers", sim::Answer::Never, 0, true, 0, 12000, true}),
    [](const ::testing::TestParamInfo<CloseCase>& info) { return std::string(info.param.name); });

TEST_F(LaunchSequenceTest, OfSeveralKembrinWindowsOnlyTheOneFoundIsAsked) {
  const HWND first = world.AddKembrinWindow(sim::Answer::AtOnce, false);
  const HWND second = world.AddKembrinWindow(sim::Answer::AtOnce, false);
  world.AddTaskbar();

  Run();

  EXPECT_EQ(1, world.CloseRequestsTo(first));
  EXPECT_EQ(0, world.CloseRequestsTo(second));
  EXPECT_EQ(1, world.CountCalls("SendMessageTimeoutA"));
  EXPECT_EQ(1, world.CountCalls("Sleep"));
}

TEST_F(LaunchSequenceTest, WithoutTaskbarClosesKembrinButNeitherReadsNorStarts) {
  const HWND kembrin = world.AddKembrinWindow();
  world.SetAppPath(REG_SZ, Bytes("C:\\T.exe\0"));

  EXPECT_EQ(0, Run().exitCode);

  EXPECT_EQ(1, world.CloseRequestsTo(kembrin));
  EXPECT_EQ(1, world.CountCalls("Sleep"));
  EXPECT_TRUE(RegistryCalls().empty());
  EXPECT_TRUE(world.starts.empty());
  EXPECT_TRUE(world.boxes.empty());
}

TEST_F(LaunchSequenceTest, AnEmptyLookupIsStartedAsAnEmptyCommandLine) {
  world.AddTaskbar();

  EXPECT_EQ(0, Run().exitCode);

  EXPECT_EQ((std::vector<std::string>{"WinExec(\"\", 10) = 33"}), world.Calls({"WinExec"}));
  EXPECT_TRUE(world.boxes.empty());
}

TEST_F(LaunchSequenceTest, AFailedStartIsNotReported) {
  world.AddTaskbar();
  world.SetAppPath(REG_SZ, Bytes("C:\\Missing.exe"));
  world.winExecResult = ERROR_FILE_NOT_FOUND;

  EXPECT_EQ(0, Run().exitCode);

  EXPECT_EQ(1, world.CountCalls("WinExec"));
  EXPECT_TRUE(world.boxes.empty());
}

TEST_F(LaunchSequenceTest, ALookupErrorIsReportedOnceAfterTheKeyIsClosedAndNothingStarts) {
  world.AddTaskbar();
  world.SetAppPath(REG_DWORD, Bytes("\x01\0\0\0"));

  EXPECT_EQ(0, Run().exitCode);

  const std::vector<std::string> calls = world.Calls({"RegCloseKey", "WinExec", "MessageBoxA"});
  ASSERT_EQ(2u, calls.size());
  EXPECT_EQ(0u, calls[0].rfind("RegCloseKey(", 0));
  EXPECT_EQ(0u, calls[1].rfind("MessageBoxA(", 0));
  EXPECT_EQ((std::vector<std::string>{test::kWrongType}), BoxTexts());
}

TEST_F(LaunchSequenceTest, ItsOwnCommandLineAndShowStateChangeNothing) {
  auto journalOf = [](const char* commandLine, int showCommand) {
    sim::World world;
    world.AddKembrinWindow();
    world.AddTaskbar();
    world.SetAppPath(REG_SZ, Bytes("C:\\T.exe"));
    const sim::ProcessOutcome outcome = sim::RunLauncherProcess(world, commandLine, showCommand);
    std::vector<std::string> lines;
    for (const sim::Call& call : world.journal) lines.push_back(call.text);
    lines.push_back("exit " + std::to_string(outcome.exitCode));
    return lines;
  };
  EXPECT_EQ(journalOf("", SW_SHOWDEFAULT), journalOf("/close \"Kembrin\" --start=other", SW_HIDE));
}

// A registered path with blanks that names an existing file is quoted, so
// WinExec cannot run a decoy such as C:\Program.exe; nothing else changes.
struct QuotingCase {
  const char* name;
  const char* registered;
  const char* existingFile;       // or null
  const char* existingDirectory;  // or null
  bool asksForAttributes;
  const char* started;
};

class StartQuotingTest : public LaunchSequenceTest, public ::testing::WithParamInterface<QuotingCase> {};

TEST_P(StartQuotingTest, QuotesOnlyAnUnquotedPathOfAnExistingFileWithBlanks) {
  const QuotingCase& c = GetParam();
  world.AddTaskbar();
  world.SetAppPath(REG_SZ, c.registered);
  world.AddFile("C:\\Program.exe");  // the decoy
  if (c.existingFile != nullptr) world.AddFile(c.existingFile);
  if (c.existingDirectory != nullptr) world.AddDirectory(c.existingDirectory);

  Run();

  const std::vector<std::string> asked = world.Calls({"GetFileAttributesA"});
  if (c.asksForAttributes) {
    ASSERT_EQ(1u, asked.size());
    EXPECT_EQ(0u, asked[0].rfind("GetFileAttributesA(" + sim::Quote(c.registered) + ")", 0));
  } else {
    EXPECT_TRUE(asked.empty());
  }
  EXPECT_EQ((std::vector<std::string>{c.started}), StartedCommandLines());
}

INSTANTIATE_TEST_SUITE_P(
    Paths, StartQuotingTest,
    ::testing::Values(
        QuotingCase{"ExistingFileWithSpace", "C:\\Program Files\\Tavimond\\Tavimond.exe",
                    "c:\\program files\\tavimond\\tavimond.exe", nullptr, true,
                    "\"C:\\Program Files\\Tavimond\\Tavimond.exe\""},
        QuotingCase{"ExistingFileWithTab", "C:\\Tools\\A\tB\\T.exe", "C:\\Tools\\A\tB\\T.exe", nullptr, true,
                    "\"C:\\Tools\\A\tB\\T.exe\""},
        QuotingCase{"MissingFile", "C:\\Program Files\\Tavimond\\Tavimond.exe", nullptr, nullptr, true,
                    "C:\\Program Files\\Tavimond\\Tavimond.exe"},
        QuotingCase{"Directory", "C:\\Program Files\\Tavimond", nullptr, "C:\\Program Files\\Tavimond", true,
                    "C:\\Program Files\\Tavimond"},
        QuotingCase{"WithArguments", "C:\\Program Files\\T\\T.exe /quiet", "C:\\Program Files\\T\\T.exe", nullptr,
                    true, "C:\\Program Files\\T\\T.exe /quiet"},
        QuotingCase{"AlreadyQuoted", "\"C:\\Program Files\\T\\T.exe\" /quiet", "C:\\Program Files\\T\\T.exe",
                    nullptr, false, "\"C:\\Program Files\\T\\T.exe\" /quiet"},
        QuotingCase{"NoBlank", "C:\\Tools\\Tavimond.exe", "C:\\Tools\\Tavimond.exe", nullptr, false,
                    "C:\\Tools\\Tavimond.exe"},
        QuotingCase{"Empty", "", nullptr, nullptr, false, ""}),
    [](const ::testing::TestParamInfo<QuotingCase>& info) { return std::string(info.param.name); });

TEST_F(LaunchSequenceTest, ALauncherTitledKembrinKeepsItsOwnWindowAndCanStillShowTheBox) {
  world.modulePath = "C:\\Apps\\KEMBRIN.EXE";
  world.AddKembrinWindow();
  world.AddTaskbar();
  world.SetAppPath(REG_BINARY, Bytes("\x01"));

  Run();

  const sim::Window* application = world.ApplicationWindow();
  ASSERT_NE(nullptr, application);
  EXPECT_EQ("Kembrin", application->setup.title);
  // The search finds the launcher's own window first: the request reaches
  // its procedure, which ignores it.
  EXPECT_EQ((std::vector<std::string>{CloseRequest(application->handle) + " = 1"}),
            world.Calls({"SendMessageTimeoutA"}));
  EXPECT_EQ(0, world.CountCalls("DefWindowProcA"));
  ASSERT_EQ(1u, world.boxes.size());
  EXPECT_TRUE(world.boxes[0].shown);
  EXPECT_EQ(application->handle, world.boxes[0].owner);
}

// Processor faults inside the guarded scope become errors named after the
// fault and are reported; the key is closed first.
struct FaultCase {
  DWORD code;
  const char* shown;
};

class GuardedFaultTest : public LaunchSequenceTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(GuardedFaultTest, IsReportedByItsClassName) {
  world.AddTaskbar();
  world.SetAppPath(REG_SZ, Bytes("C:\\T.exe"));
  world.faultOn["RegQueryValueExA"] = GetParam().code;

  const sim::ProcessOutcome result = Run();

  EXPECT_FALSE(result.crashed);
  EXPECT_EQ(0, result.exitCode);
  EXPECT_EQ((std::vector<std::string>{GetParam().shown}), BoxTexts());
  EXPECT_EQ(1, world.CountCalls("RegCloseKey"));
  EXPECT_TRUE(world.starts.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, GuardedFaultTest,
    ::testing::Values(FaultCase{EXCEPTION_ACCESS_VIOLATION, "EAccessViolation."},
                      FaultCase{EXCEPTION_ARRAY_BOUNDS_EXCEEDED, "ERangeError."},
                      FaultCase{EXCEPTION_INT_DIVIDE_BY_ZERO, "EDivByZero."},
                      FaultCase{EXCEPTION_INT_OVERFLOW, "EIntOverflow."},
                      FaultCase{EXCEPTION_FLT_DIVIDE_BY_ZERO, "EZeroDivide."},
                      FaultCase{EXCEPTION_FLT_OVERFLOW, "EOverflow."},
                      FaultCase{EXCEPTION_FLT_UNDERFLOW, "EUnderflow."},
                      FaultCase{EXCEPTION_FLT_DENORMAL_OPERAND, "EUnderflow."},
                      FaultCase{EXCEPTION_FLT_INVALID_OPERATION, "EInvalidOp."},
                      FaultCase{EXCEPTION_FLT_INEXACT_RESULT, "EInvalidOp."},
                      FaultCase{EXCEPTION_FLT_STACK_CHECK, "EInvalidOp."},
                      FaultCase{EXCEPTION_PRIV_INSTRUCTION, "EPrivilege."},
                      FaultCase{EXCEPTION_STACK_OVERFLOW, "EStackOverflow."},
                      FaultCase{STATUS_CONTROL_C_EXIT, "EControlC."}));

// Faults outside the guarded scope, and faults without an error class, go
// to the system, which ends the process with the fault's code.
struct UnguardedFaultCase {
  const char* name;
  const char* function;
  DWORD code;
};

class UnguardedFaultTest : public LaunchSequenceTest, public ::testing::WithParamInterface<UnguardedFaultCase> {};

TEST_P(UnguardedFaultTest, IsLeftToTheSystem) {
  world.AddKembrinWindow();
  world.AddTaskbar();
  world.SetAppPath(REG_DWORD, Bytes("\x01\0\0\0"));
  world.faultOn[GetParam().function] = GetParam().code;

  const sim::ProcessOutcome result = Run();

  EXPECT_TRUE(result.crashed);
  EXPECT_EQ(GetParam().code, result.faultCode);
  EXPECT_TRUE(world.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Faults, UnguardedFaultTest,
    ::testing::Values(UnguardedFaultCase{"InTheCloseRequest", "SendMessageTimeoutA", EXCEPTION_ACCESS_VIOLATION},
                      UnguardedFaultCase{"InTheReport", "MessageBoxA", EXCEPTION_ACCESS_VIOLATION},
                      UnguardedFaultCase{"UnmappedInsideTheScope", "RegQueryValueExA", 0xC0000409u}),
    [](const ::testing::TestParamInfo<UnguardedFaultCase>& info) { return std::string(info.param.name); });

}  // namespace
