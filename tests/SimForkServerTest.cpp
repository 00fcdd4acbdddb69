// The simulator's hosts started as forks of a warmed-up host: each child is the program its
// arguments ask for, with its own output, exit status and end, and killing one ends only it.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <filesystem>

#include "SimForkServer.h"
#include "SimProcess.h"
#include "Subprocess.h"
#include "TemporaryDevice.h"

using simulator::Clock;
using simulator::SimForkServer;
using simulator::SimProcess;

namespace {
std::string errorFile() {
  return (std::filesystem::temp_directory_path() / "sim-fork-server-test.log").string();
}
}  // namespace

TEST(SimForkServer, ChildrenRunTheirOwnArgumentsAndEndAsTheirProgramWould) {
  TemporaryDevice device;
  SimForkServer forks(binary("talvocb-host"), errorFile());
  ASSERT_TRUE(forks.started());
  auto deadline = Clock::now() + std::chrono::seconds(30);

  // Two at once, each with its own output: the lines of one never reach the other.
  SimProcess first({forks.host(), "--root", device.root(), "--do", "ready", "--do", "run 50"},
                   errorFile(), SimProcess::Input::Empty, &forks);
  SimProcess second({forks.host(), "--root", device.root(), "--do", "fly"}, errorFile(),
                    SimProcess::Input::Empty, &forks);
  ASSERT_TRUE(first.started());
  ASSERT_TRUE(second.started());
  EXPECT_NE(first.pid(), second.pid());
  EXPECT_EQ(second.finish(deadline), 2);  // an unknown action is a usage error, as ever
  EXPECT_NE(second.lastErrorLines(4).find("fly"), std::string::npos);
  EXPECT_EQ(first.finish(deadline), 0);
  EXPECT_EQ(first.lines(), std::vector<std::string>{"ready"});

  // A child that hangs is killed through the server and reads as killed; the next one runs.
  {
    SimProcess hung({forks.host(), "--root", device.root(), "--do", "ready", "--do", "run 60000"},
                    errorFile(), SimProcess::Input::Empty, &forks);
    ASSERT_TRUE(hung.waitForLine("ready", deadline));
    EXPECT_EQ(hung.finish(Clock::now() + std::chrono::milliseconds(200)), std::nullopt);
    std::string how;
    EXPECT_FALSE(hung.running(&how));
    EXPECT_EQ(how, "signal 9");
  }
  SimProcess after({forks.host(), "--root", device.root()}, errorFile(), SimProcess::Input::Empty,
                   &forks);
  EXPECT_EQ(after.finish(deadline), 0);
}

TEST(SimForkServer, AHostAloneRefusesTheServersFlagBesideOthers) {
  TemporaryDevice device;
  ProcessResult result = runProgram({"talvocb-host", "--root", device.root(), "--fork-server"});
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("--fork-server takes no other option"), std::string::npos);
}
