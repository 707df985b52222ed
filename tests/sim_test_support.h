// What the simulated-Windows tests share: a fresh World per test, the
// process run, and the checks every run must pass whatever it did.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/world.h"

namespace test {

const char kAppPathKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tavimond.exe";
const char kReadFailure[] = "Failed to get data for ''";
const char kWrongType[] = "Invalid data type for ''";

// A string with the given bytes, inner NULs included.
inline std::string Bytes(const char* data, size_t size) { return std::string(data, size); }
template <size_t N>
std::string Bytes(const char (&data)[N]) {
  return std::string(data, N - 1);
}

class SimulatedWindowsTest : public ::testing::Test {
 protected:
  sim::ProcessOutcome Run(const char* commandLine = "", int showCommand = SW_SHOWDEFAULT) {
    outcome = sim::RunLauncherProcess(world, commandLine, showCommand);
    return outcome;
  }

  // Whatever happened, the process gave back every block and every key.
  void TearDown() override {
    EXPECT_TRUE(world.liveBlocks.empty()) << world.liveBlocks.size() << " heap blocks never freed";
    EXPECT_TRUE(world.heapErrors.empty());
    EXPECT_EQ(0, world.OpenKeyHandles()) << "registry keys left open";
  }

  std::vector<std::string> RegistryCalls() const {
    return world.Calls({"RegOpenKeyExA", "RegQueryValueExA", "RegCloseKey", "ExpandEnvironmentStringsA"});
  }
  std::vector<std::string> StartedCommandLines() const {
    std::vector<std::string> lines;
    for (const sim::ProcessStart& start : world.starts) lines.push_back(start.commandLine);
    return lines;
  }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> texts;
    for (const sim::MessageBoxRecord& box : world.boxes) texts.push_back(box.text);
    return texts;
  }

  sim::World world;
  sim::ProcessOutcome outcome;
};

}  // namespace test
