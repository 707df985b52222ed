// The registered path lookup, seen through whole runs: the registry calls it
// makes, the command line it hands to the start, the error it raises.
#include <gtest/gtest.h>

#include <functional>

#include "platform/sim/world.h"
#include "tests/sim_test_support.h"

namespace {

using test::Bytes;
using test::kAppPathKey;
using test::kReadFailure;
using test::kWrongType;

const HKEY kNoKey = nullptr;

// The journal's lines for the lookup's calls, with the opened key named
// "key" so that rows of the table need not know handle numbers.
std::string Open(LSTATUS status) {
  return "RegOpenKeyExA(HKEY_LOCAL_MACHINE, " + sim::Quote(kAppPathKey) + ", 0, 0x20019, &key) = " +
         std::to_string(status) + (status == 0 ? " -> key" : "");
}
std::string SizeQuery(const char* key, LSTATUS status) {
  return std::string("RegQueryValueExA(") + key + ", \"\", NULL, &0, NULL, &0) = " + std::to_string(status);
}
std::string DataQuery(DWORD size, LSTATUS status) {
  return "RegQueryValueExA(key, \"\", NULL, &0, data, &" + std::to_string(size) + ") = " + std::to_string(status);
}
const char kClose[] = "RegCloseKey(key) = 0";

struct LookupCase {
  const char* name;
  std::function<void(sim::World&)> setUp;
  std::vector<std::string> calls;
  const char* started;  // null: nothing started
  const char* shown;    // null: no box
};

void PrintTo(const LookupCase& c, std::ostream* out) { *out << c.name; }

class RegisteredPathTest : public test::SimulatedWindowsTest, public ::testing::WithParamInterface<LookupCase> {
 protected:
  std::vector<std::string> LookupCalls() const {
    std::vector<std::string> lines = RegistryCalls();
    for (HKEY key : world.keysOpened) {
      for (std::string& line : lines) {
        const std::string name = sim::Name(key);
        for (size_t at = line.find(name); at != std::string::npos; at = line.find(name)) line.replace(at, name.size(), "key");
      }
    }
    return lines;
  }
};

TEST_P(RegisteredPathTest, MakesTheseCallsAndYieldsThis) {
  const LookupCase& c = GetParam();
  world.AddTaskbar();
  c.setUp(world);

  EXPECT_EQ(0, Run().exitCode);

  EXPECT_EQ(c.calls, LookupCalls());
  EXPECT_EQ(c.started == nullptr ? std::vector<std::string>{} : std::vector<std::string>{c.started},
            StartedCommandLines());
  EXPECT_EQ(c.shown == nullptr ? std::vector<std::string>{} : std::vector<std::string>{c.shown}, BoxTexts());
  // One close exactly when a key was opened; the root is never closed.
  EXPECT_EQ(static_cast<int>(world.keysOpened.size()), world.CountCalls("RegCloseKey"));
}

void AppPath(sim::World& world, DWORD type, const std::string& bytes) { world.SetAppPath(type, bytes); }

INSTANTIATE_TEST_SUITE_P(
    Values, RegisteredPathTest,
    ::testing::Values(
        LookupCase{"AbsentKey", [](sim::World&) {}, {Open(2), SizeQuery("NULL", 6)}, "", nullptr},
        LookupCase{"KeyThatCannotBeOpened",
                   [](sim::World& w) {
                     AppPath(w, REG_SZ, "C:\\T.exe");
                     w.Key(HKEY_LOCAL_MACHINE, kAppPathKey).openFailure = ERROR_ACCESS_DENIED;
                   },
                   {Open(5), SizeQuery("NULL", 6)},
                   "",
                   nullptr},
        // Opened for reading only, a key the user may not change is read.
        LookupCase{"ReadableButNotWritableKey",
                   [](sim::World& w) {
                     AppPath(w, REG_SZ, Bytes("C:\\T.exe\0"));
                     w.Key(HKEY_LOCAL_MACHINE, kAppPathKey).denyWrite = true;
                   },
                   {Open(0), SizeQuery("key", 0), DataQuery(9, 0), kClose},
                   "C:\\T.exe",
                   nullptr},
        LookupCase{"DefaultValueNotSet",
                   [](sim::World& w) { w.SetValue(HKEY_LOCAL_MACHINE, kAppPathKey, "Path", REG_SZ, "C:\\"); },
                   {Open(0), SizeQuery("key", 2), kClose},
                   "",
                   nullptr},
        LookupCase{"EmptyString", [](sim::World& w) { AppPath(w, REG_SZ, ""); },
                   {Open(0), SizeQuery("key", 0), kClose}, "", nullptr},
        LookupCase{"EmptyBinary", [](sim::World& w) { AppPath(w, REG_BINARY, ""); },
                   {Open(0), SizeQuery("key", 0), kClose}, "", nullptr},
        LookupCase{"StringWithItsNul", [](sim::World& w) { AppPath(w, REG_SZ, Bytes("C:\\T.exe -a\0")); },
                   {Open(0), SizeQuery("key", 0), DataQuery(12, 0), kClose}, "C:\\T.exe -a", nullptr},
        LookupCase{"StringWithoutNul", [](sim::World& w) { AppPath(w, REG_SZ, "C:\\T.exe"); },
                   {Open(0), SizeQuery("key", 0), DataQuery(8, 0), kClose}, "C:\\T.exe", nullptr},
        LookupCase{"StringWithInnerNul", [](sim::World& w) { AppPath(w, REG_SZ, Bytes("C:\\A.exe\0C:\\B.exe\0")); },
                   {Open(0), SizeQuery("key", 0), DataQuery(18, 0), kClose}, "C:\\A.exe", nullptr},
        LookupCase{"SingleNul", [](sim::World& w) { AppPath(w, REG_SZ, Bytes("\0")); },
                   {Open(0), SizeQuery("key", 0), DataQuery(1, 0), kClose}, "", nullptr},
        LookupCase{"PercentSignsInPlainStringStayLiteral",
                   [](sim::World& w) {
                     w.SetEnvironment("ProgramFiles", "C:\\Program Files");
                     AppPath(w, REG_SZ, Bytes("%ProgramFiles%\\T.exe\0"));
                   },
                   {Open(0), SizeQuery("key", 0), DataQuery(21, 0), kClose},
                   "%ProgramFiles%\\T.exe",
                   nullptr},
        // An expandable string is expanded while the key is still held: the
        // size first, then into a buffer of that size and one byte more.
        LookupCase{"ExpandableStringIsExpanded",
                   [](sim::World& w) {
                     w.SetEnvironment("ProgramFiles", "C:\\Program Files");
                     AppPath(w, REG_EXPAND_SZ, Bytes("%ProgramFiles%\\T\\T.exe\0"));
                   },
                   {Open(0), SizeQuery("key", 0), DataQuery(23, 0),
                    "ExpandEnvironmentStringsA(" + sim::Quote("%ProgramFiles%\\T\\T.exe") + ", NULL, 0) = 25",
                    "ExpandEnvironmentStringsA(" + sim::Quote("%ProgramFiles%\\T\\T.exe") + ", buffer, 26) = 25",
                    kClose},
                   "C:\\Program Files\\T\\T.exe",
                   nullptr},
        LookupCase{"ExpandableStringWithUnknownName",
                   [](sim::World& w) { AppPath(w, REG_EXPAND_SZ, Bytes("%NoSuchName%\\T.exe\0")); },
                   {Open(0), SizeQuery("key", 0), DataQuery(19, 0),
                    "ExpandEnvironmentStringsA(" + sim::Quote("%NoSuchName%\\T.exe") + ", NULL, 0) = 19",
                    "ExpandEnvironmentStringsA(" + sim::Quote("%NoSuchName%\\T.exe") + ", buffer, 20) = 19", kClose},
                   "%NoSuchName%\\T.exe",
                   nullptr},
        LookupCase{"ExpansionThatFailsKeepsTheStoredText",
                   [](sim::World& w) {
                     w.failExpansion = true;
                     AppPath(w, REG_EXPAND_SZ, Bytes("%WINDIR%\\T.exe\0"));
                   },
                   {Open(0), SizeQuery("key", 0), DataQuery(15, 0),
                    "ExpandEnvironmentStringsA(" + sim::Quote("%WINDIR%\\T.exe") + ", NULL, 0) = 0", kClose},
                   "%WINDIR%\\T.exe",
                   nullptr},
        LookupCase{"Dword", [](sim::World& w) { AppPath(w, REG_DWORD, Bytes("\x01\0\0\0")); },
                   {Open(0), SizeQuery("key", 0), DataQuery(4, 0), kClose}, nullptr, kWrongType},
        LookupCase{"MultiString", [](sim::World& w) { AppPath(w, REG_MULTI_SZ, Bytes("C:\\T.exe\0\0")); },
                   {Open(0), SizeQuery("key", 0), DataQuery(10, 0), kClose}, nullptr, kWrongType},
        LookupCase{"OneByteOfBinary", [](sim::World& w) { AppPath(w, REG_BINARY, "C"); },
                   {Open(0), SizeQuery("key", 0), DataQuery(1, 0), kClose}, nullptr, kWrongType},
        LookupCase{"NoneType", [](sim::World& w) { AppPath(w, REG_NONE, "abc"); },
                   {Open(0), SizeQuery("key", 0), DataQuery(3, 0), kClose}, nullptr, kWrongType},
        LookupCase{"DataQueryFails",
                   [](sim::World& w) {
                     AppPath(w, REG_SZ, "C:\\T.exe");
                     w.AppPathDataQueryFault().failWith = ERROR_ACCESS_DENIED;
                   },
                   {Open(0), SizeQuery("key", 0), DataQuery(8, 5), kClose},
                   nullptr,
                   kReadFailure},
        // Another process changes the value between the two queries: the
        // data query's own outcome decides.
        LookupCase{"ValueGrewInBetween",
                   [](sim::World& w) {
                     AppPath(w, REG_SZ, "C:\\T.exe");
                     w.AppPathDataQueryFault().before = [&w] { w.SetAppPath(REG_SZ, "C:\\Longer\\T.exe"); };
                   },
                   {Open(0), SizeQuery("key", 0), DataQuery(8, 234), kClose},
                   nullptr,
                   kReadFailure},
        LookupCase{"ValueRemovedInBetween",
                   [](sim::World& w) {
                     AppPath(w, REG_SZ, "C:\\T.exe");
                     w.AppPathDataQueryFault().before = [&w] {
                       w.Key(HKEY_LOCAL_MACHINE, kAppPathKey).values.clear();
                     };
                   },
                   {Open(0), SizeQuery("key", 0), DataQuery(8, 2), kClose},
                   nullptr,
                   kReadFailure},
        LookupCase{"ValueShrankInBetween",
                   [](sim::World& w) {
                     AppPath(w, REG_SZ, "C:\\Longer\\T.exe");
                     w.AppPathDataQueryFault().before = [&w] { w.SetAppPath(REG_SZ, "C:\\T.exe"); };
                   },
                   {Open(0), SizeQuery("key", 0), DataQuery(15, 0), kClose},
                   "C:\\T.exe",
                   nullptr},
        LookupCase{"TypeChangedInBetween",
                   [](sim::World& w) {
                     AppPath(w, REG_SZ, "C:\\T.exe");
                     w.AppPathDataQueryFault().before = [&w] { w.SetAppPath(REG_BINARY, "C:\\T.exe"); };
                   },
                   {Open(0), SizeQuery("key", 0), DataQuery(8, 0), kClose},
                   nullptr,
                   kWrongType},
        // The platform writes fewer bytes than it reports: the rest of the
        // buffer is zero, never left-over memory.
        LookupCase{"FewerBytesWrittenThanReported",
                   [](sim::World& w) {
                     AppPath(w, REG_SZ, "C:\\Tavimond.exe");
                     w.AppPathDataQueryFault().bytesWritten = 3;
                   },
                   {Open(0), SizeQuery("key", 0), DataQuery(15, 0), kClose},
                   "C:\\",
                   nullptr},
        // The reported size is a signed count: above 2 GiB it is negative.
        LookupCase{"NegativeSize",
                   [](sim::World& w) {
                     AppPath(w, REG_SZ, "C:\\T.exe");
                     w.reportedSizes[sim::World::KeyName(HKEY_LOCAL_MACHINE, kAppPathKey) + "\\"] = 0x80000000u;
                   },
                   {Open(0), SizeQuery("key", 0), kClose},
                   "",
                   nullptr},
        LookupCase{"SizeTooLargeForMemory",
                   [](sim::World& w) {
                     AppPath(w, REG_SZ, "C:\\T.exe");
                     w.reportedSizes[sim::World::KeyName(HKEY_LOCAL_MACHINE, kAppPathKey) + "\\"] = 0x7FFFFFFFu;
                   },
                   {Open(0), SizeQuery("key", 0), kClose},
                   nullptr,
                   "Out of memory."}),
    [](const ::testing::TestParamInfo<LookupCase>& info) { return std::string(info.param.name); });

// Whichever allocation of the lookup fails, the error is EOutOfMemory, the
// key is closed before it leaves, and nothing is started.
TEST(RegisteredPathMemoryTest, EveryAllocationOfTheLookupCanFail) {
  int failing = 1;
  for (;; ++failing) {
    sim::World world;
    world.AddTaskbar();
    world.SetEnvironment("ProgramFiles", "C:\\Program Files");
    world.SetAppPath(REG_EXPAND_SZ, Bytes("%ProgramFiles%\\T.exe\0"));
    int lookupAllocations = 0;
    world.failAllocationIf = [&](SIZE_T) {
      // From the taskbar test, which comes right before the lookup, to the
      // close of the key, which ends it.
      const bool inLookup = world.CountCalls("FindWindowA") == 2 && world.CountCalls("RegCloseKey") == 0;
      return inLookup && ++lookupAllocations == failing;
    };

    const sim::ProcessOutcome outcome = sim::RunLauncherProcess(world);

    if (lookupAllocations < failing) break;  // every allocation has failed once
    SCOPED_TRACE("allocation " + std::to_string(failing) + " of the lookup fails");
    EXPECT_EQ(0, outcome.exitCode);
    EXPECT_TRUE(world.starts.empty());
    EXPECT_EQ(static_cast<int>(world.keysOpened.size()), world.CountCalls("RegCloseKey"));
    ASSERT_EQ(1u, world.boxes.size());
    EXPECT_EQ("Out of memory.", world.boxes[0].text);
    EXPECT_TRUE(world.liveBlocks.empty());
    ASSERT_LT(failing, 50) << "the lookup should need only a few allocations";
  }
  // The registry object, the data buffer, the stored text, the expansion
  // buffer and the expanded text: each has had its turn.
  EXPECT_GE(failing - 1, 5);
}

}  // namespace
