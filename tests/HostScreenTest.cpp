// The host program's script: screens snapshotted and dumped, and how lines fail.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "Subprocess.h"
#include "TemporaryDevice.h"
#include "uikit/UIImage.h"

namespace {

ProcessResult host(const TemporaryDevice& device, const std::vector<std::string>& actions,
                   const std::string& bundle = "com.apple.springboard") {
  std::vector<std::string> argv = {"talvocb-host", "--root", device.root(), "--bundle-id", bundle};
  for (const auto& a : actions) argv.insert(argv.end(), {"--do", a});
  return runProgram(argv);
}

size_t lines(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

std::string readAll(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(HostScreen, BadLinesExitTwoWithOneLineAndStopTheScript) {
  TemporaryDevice device;
  for (const std::vector<std::string>& script :
       {std::vector<std::string>{"snapshto /tmp/x.png", "ready"},
        {"snapshot", "ready"},
        {"snapshot /tmp/x.png thumbnail=", "ready"},
        {"snapshot /tmp/x.png thumbnail=0", "ready"},
        {"snapshot /tmp/x.png thumbnail=12x", "ready"},
        {"snapshot /tmp/x.png 120", "ready"},
        {"run soon", "ready"},
        // Waits far beyond a day would overflow their deadline and return at once.
        {"run 9223372036854775807", "ready"},
        {"wait some.notification 9223372036854775807", "ready"},
        {"settings-changed 9223372036854775807", "ready"},
        {"wait-idle -1", "ready"},
        // A call needs a party: "at 5" is its start, and a start must fit a double.
        {"call at 5", "ready"},
        {"call 555-522-8243 at 1e999", "ready"},
        {"tap-alert first"}}) {
    ProcessResult r = host(device, script);
    EXPECT_EQ(r.status, 2) << script[0];
    EXPECT_EQ(lines(r.err), 1u) << r.err;
    EXPECT_EQ(r.out.find("ready"), std::string::npos);
  }
  EXPECT_NE(host(device, {"snapshto x"}).err.find("unknown action 'snapshto'"), std::string::npos);
}

TEST(HostScreen, FailedActionsExitOneSayingWhy) {
  TemporaryDevice device;
  ProcessResult r = host(device, {"snapshot /nonexistent/folder/screen.png"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(lines(r.err), 1u) << r.err;
  EXPECT_NE(r.err.find("cannot write /nonexistent/folder/screen.png"), std::string::npos);
  r = host(device, {"dump /nonexistent/folder/screen.json"});
  EXPECT_EQ(r.status, 1);
  r = host(device, {"tap-alert 0"});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no alert is showing"), std::string::npos);
}

// A line or word of any length costs the host no more than a line's worth, and an error quotes
// only its start.
TEST(HostScreen, OverlongLinesAndWordsAreRefusedQuotingOnlyTheirStart) {
  TemporaryDevice device;
  ProcessResult r = runProgram({"talvocb-host", "--root", device.root(), "--stdin"},
                               {std::string(1 << 20, 'x') + "\nready\n", {}});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "talvocb-host: a line of 1048576 bytes is longer than 65536: "
            "'xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx...'\n");
  EXPECT_EQ(r.out.find("ready"), std::string::npos);
  for (const std::string& line :
       {std::string(70000, 'z'), std::string(60000, 'y'), "run " + std::string(60000, '9')}) {
    r = host(device, {line, "ready"});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(lines(r.err), 1u);
    EXPECT_LT(r.err.size(), 160u) << r.err.substr(0, 160);
  }
}

// A snapshot goes whole into a regular file or nowhere: a FIFO or a link at the path is refused
// at once and left as it was, and a write that fails leaves no part of a picture.
TEST(HostScreen, SnapshotsGoWholeIntoRegularFilesOnly) {
  TemporaryDevice device;
  std::string fifo = device.real("/tmp/fifo.png"), link = device.real("/tmp/link.png");
  std::string target = device.real("/tmp/target");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  device.writeFile("/tmp/target", "kept\n");
  std::filesystem::create_symlink(target, link);
  ProcessResult r = host(device, {"snapshot " + fifo});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write " + fifo + ": is not a regular file"), std::string::npos)
      << r.err;
  r = host(device, {"snapshot " + link});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("is a symbolic link"), std::string::npos) << r.err;
  EXPECT_EQ(device.readFile("/tmp/target"), "kept\n");

  std::string shot = device.root() + "/shots/screen.png";
  std::filesystem::create_directory(device.root() + "/shots");
  r = runProgram({"talvocb-host", "--root", device.root(), "--do", "snapshot " + shot}, {"", 4096});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("cannot write " + shot + ": File too large"), std::string::npos) << r.err;
  EXPECT_TRUE(std::filesystem::is_empty(device.root() + "/shots"));
}

TEST(HostScreen, EveryHostHasAScreenAndTheSampleScreenShowsTheList) {
  TemporaryDevice device;
  std::string home = device.real("/tmp/home.png"), sample = device.real("/tmp/sample.png");
  std::filesystem::create_directory(device.real("/tmp/a \"b\""));
  std::string dump = device.real("/tmp/a \"b\"/sample.json");
  // A path in quotes may hold spaces and quotes.
  ProcessResult r = host(device, {"snapshot " + home + " thumbnail=300", "sample-screen",
                                  "wait-idle", "snapshot " + sample,
                                  "dump \"" + device.real("/tmp/a \\\"b\\\"/sample.json") + "\""});
  ASSERT_EQ(r.status, 0) << r.err;
  auto homeImage = UIImage::imageWithContentsOfFile("/tmp/home.png");
  ASSERT_TRUE(homeImage);
  EXPECT_EQ(CGImageGetWidth(homeImage->CGImage()), 750u);  // 375 points at scale 2
  EXPECT_EQ(CGImageGetHeight(homeImage->CGImage()), 1334u);
  CGPixel wallpaper = CGImageGetPixel(homeImage->CGImage(), 300, 300);
  EXPECT_GT(wallpaper.blue, wallpaper.red);
  // The thumbnail shows the same screen at 300 pixels wide, its height in proportion.
  auto thumbnail = UIImage::imageWithContentsOfFile("/tmp/home.thumb.jpg");
  ASSERT_TRUE(thumbnail);
  EXPECT_EQ(CGImageGetWidth(thumbnail->CGImage()), 300u);
  EXPECT_EQ(CGImageGetHeight(thumbnail->CGImage()), 534u);
  CGPixel small = CGImageGetPixel(thumbnail->CGImage(), 120, 120);
  EXPECT_NEAR(small.blue, wallpaper.blue, 24);
  EXPECT_NEAR(small.red, wallpaper.red, 24);
  EXPECT_FALSE(std::filesystem::exists(device.real("/tmp/sample.thumb.jpg")));

  // No address book on this device: plain coloured pictures, rounded by their views.
  auto sampleImage = UIImage::imageWithContentsOfFile("/tmp/sample.png");
  ASSERT_TRUE(sampleImage);
  CGPixel corner = CGImageGetPixel(sampleImage->CGImage(), 31, 145);  // (15.5, 72.5) points
  CGPixel middle = CGImageGetPixel(sampleImage->CGImage(), 70, 184);
  EXPECT_EQ(corner.red, 255);
  EXPECT_EQ(corner.green, 255);
  EXPECT_NE(middle.green, 255);

  // Indentation aside, the first row's picture sits in its cell's content view, in window points.
  std::string json = std::regex_replace(readAll(dump), std::regex("\n *"), " ");
  for (const char* expected :
       {"\"class\": \"UITableView\"", "\"class\": \"UITableViewCell\"",
        "\"class\": \"UIImageView\", \"frame\": [15, 72, 40, 40]",
        "\"tag\": 3232, \"image\": \"colour #E54C3D\"", "\"class\": \"UITableViewLabel\"",
        "\"text\": \"Caller 1\"", "\"class\": \"UIDateLabel\"", "\"class\": \"UISwitch\"",
        "\"on\": true", "\"text\": \"Call Back\""}) {
    EXPECT_NE(json.find(expected), std::string::npos) << expected;
  }
}

// A host works in a device and never makes one: a missing folder or a file as the root is a
// usage error, and nothing is created.
TEST(HostScreen, ARootThatIsNoFolderIsRefused) {
  TemporaryDevice device;
  std::string missing = device.root() + "/missing";
  std::string file = device.real("/tmp/plain-file");
  std::ofstream(file) << "not a device";
  ASSERT_TRUE(std::filesystem::is_regular_file(file));
  for (const std::string& root : {missing, file}) {
    ProcessResult r = runProgram({"talvocb-host", "--root", root, "--do", "ready"});
    EXPECT_EQ(r.status, 2) << root;
    EXPECT_EQ(r.out.find("ready"), std::string::npos);
  }
  EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(HostScreen, CloseWithoutAControllerFails) {
  TemporaryDevice device;
  ProcessResult r = host(device, {"close"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(lines(r.err), 1u) << r.err;
  EXPECT_NE(r.err.find("no controller is showing"), std::string::npos) << r.err;
}
