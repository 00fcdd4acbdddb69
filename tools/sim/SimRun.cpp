#include "SimRun.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <numeric>
#include <thread>

#include "SimDevice.h"
#include "SimForkServer.h"
#include "SimPage.h"
#include "SimScenes.h"
#include "foundation/Device.h"
#include "foundation/PropertyList.h"
#include "kernel/arc4random.h"

namespace fs = std::filesystem;

namespace simulator {

namespace {
struct Play {
  const SimScene* scene;
  bool addOnOff;
  std::string name() const { return addOnOff ? scene->name + "-off" : scene->name; }
};

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// What --scene asks for, in playing order, and every call asked for by --call; a name that is
// no scene is reported in *unknown.
std::vector<Play> choosePlays(const std::vector<SimScene>& scenes,
                              const std::vector<std::string>& names, std::string* unknown) {
  std::vector<Play> plays;
  for (const SimScene& scene : scenes) {
    bool whole = names.empty() || scene.asked, offAlone = false;
    for (const std::string& name : names) {
      whole = whole || name == scene.name;
      offAlone = offAlone || (scene.alsoOff && name == scene.name + "-off");
    }
    if (whole) plays.push_back({&scene, false});
    if ((whole || offAlone) && scene.alsoOff) plays.push_back({&scene, true});
  }
  std::vector<std::string> known;
  for (const SimScene& scene : scenes) {
    known.push_back(scene.name);
    if (scene.alsoOff) known.push_back(scene.name + "-off");
  }
  for (const std::string& name : names) {
    if (std::find(known.begin(), known.end(), name) == known.end()) *unknown = name;
  }
  return plays;
}

// The state shared by the workers: the counter and the terminal.
struct Progress {
  std::mutex mutex;
  std::size_t done = 0, total = 0;
  std::atomic<bool> failed{false};
  void line(const std::string& profile, const std::string& scene, double seconds,
            const std::string& trouble) {
    std::lock_guard lock(mutex);
    ++done;
    std::printf("[%3zu/%zu] %-17s %-42s %5.2f s%s%s\n", done, total, profile.c_str(), scene.c_str(),
                seconds, trouble.empty() ? "" : "  ", trouble.c_str());
    std::fflush(stdout);
  }
};

class PhoneRun {
 public:
  PhoneRun(const SimOptions& options, const SimTools& tools, const SimProfile& profile,
           Progress& progress)
      : options_(options), tools_(tools), progress_(progress) {
    shown_.profile = profile;
    device_ = options.out + "/device/" + profile.name;
    screens_ = options.out + "/screens/" + profile.name;
    errors_ = options.out + "/logs/" + profile.name + ".log";
  }

  ShownProfile play(const std::vector<Play>& plays) {
    if (!prepareDevice()) {
      progress_.failed = true;
      for (const Play& play : plays) {
        progress_.line(shown_.profile.name, play.name(), 0, "FAILED: " + shown_.deviceFailure);
      }
      return shown_;
    }
    readCast();
    for (const Play& play : plays) playOne(play);
    shown_.hasMailedMessage = fs::exists(screens_ + "/mail-log.eml");
    addThumbnailsAndChanges();
    return shown_;
  }

 private:
  // The sample device of this phone, or a copy of --root given this phone's profile.
  bool prepareDevice() {
    std::error_code error;
    fs::create_directories(screens_, error);
    std::string failure;
    if (prepareSimDevice(tools_, shown_.profile, options_.root, device_, errors_, &failure)) {
      return true;
    }
    shown_.deviceFailure = "The device of " + shown_.profile.name + " cannot be made: " + failure;
    std::fprintf(stderr, "talvocb sim: %s\n", shown_.deviceFailure.c_str());
    return false;
  }

  // Who plays the scenes on this phone, read from its device by a process that runs on it.
  void readCast() {
    std::vector<std::string> argv = {tools_.tool, "--root", device_, "sim", "--cast"};
    for (const std::string& party : options_.calls) argv.push_back("--call=" + party);
    SimProcess reader(argv, errors_);
    if (reader.finish(Clock::now() + std::chrono::seconds(60)) != 0) {
      cast_.failure = "the device cannot be read: " + reader.lastErrorLines(1);
      return;
    }
    std::string text;
    for (const std::string& line : reader.lines()) text.append(line).append("\n");
    std::string reason;
    id plist = propertyListFromData(std::vector<uint8_t>(text.begin(), text.end()), &reason);
    cast_ = plist ? castFromPropertyList(plist) : SimCast{};
    if (!plist) cast_.failure = "the device's cast cannot be read: " + reason;
  }

  ShownScene& sceneNamed(const std::string& name) {
    for (ShownScene& scene : shown_.scenes) {
      if (scene.name == name) return scene;
    }
    shown_.scenes.push_back({name, {}, {}, {}});
    return shown_.scenes.back();
  }

  void playOne(const Play& play) {
    auto start = Clock::now();
    ShownScene& shown = sceneNamed(play.scene->name);
    std::string trouble, skipped;
    std::string settingsError;
    SimStage stage(tools_, shown_.profile, cast_, device_, screens_, errors_, play.addOnOff,
                   start + std::chrono::duration_cast<Clock::duration>(
                               std::chrono::duration<double>(options_.sceneSeconds)));
    try {
      if (!writeStartingSettings(device_, play.addOnOff, &settingsError)) {
        throw SceneFailure(settingsError);
      }
      play.scene->play(stage);
      for (const SimShot& shot : stage.shots()) {
        if (!fs::exists(screens_ + "/" + shot.name + ".png") ||
            !fs::exists(screens_ + "/" + shot.name + ".json")) {
          throw SceneFailure("the scene did not produce its screen " + shot.name);
        }
      }
    } catch (const SceneSkipped& skip) {
      // Not a failure: the scene has nobody to play it on this device, and the page says so.
      skipped = std::string("skipped: ").append(skip.what());
      if (std::find(shown.notes.begin(), shown.notes.end(), skip.what()) == shown.notes.end()) {
        shown.notes.push_back(skip.what());
      }
    } catch (const std::exception& failure) {
      trouble = std::string("FAILED: ").append(failure.what());
      shown.failures.push_back(play.name() + ": " + failure.what());
      progress_.failed = true;
    }
    for (const SimShot& shot : stage.shots()) {
      if (!skipped.empty()) break;
      ShownShot shotShown;
      shotShown.shot = shot;
      if (trouble.empty()) checkAndRecord(shotShown, trouble);
      shown.shots.push_back(shotShown);
    }
    progress_.line(shown_.profile.name, play.name(), secondsSince(start),
                   skipped.empty() ? trouble : skipped);
  }

  void checkAndRecord(ShownShot& shown, std::string& trouble) {
    std::string stem = screens_ + "/" + shown.shot.name;
    if (!options_.check.empty()) {
      std::string reference = options_.check + "/" + shown_.profile.name + "/" + shown.shot.name;
      Comparison comparison = compareShot(stem, reference, options_.compare, stem + ".diff.png");
      if (!comparison.same) {
        shown.difference = comparison.reason;
        shown.hasDiffImage = comparison.diffWritten;
        trouble.append(trouble.empty() ? "" : "; ")
            .append("DIFFERS: ")
            .append(shown.shot.name)
            .append(": ")
            .append(comparison.reason);
        progress_.failed = true;
      }
    }
    if (!options_.record.empty()) {
      std::string folder = options_.record + "/" + shown_.profile.name;
      std::error_code error;
      fs::create_directories(folder, error);
      for (const char* extension : {".png", ".json"}) {
        fs::copy_file(stem + extension, folder + "/" + shown.shot.name + extension,
                      fs::copy_options::overwrite_existing, error);
      }
      if (error) {
        trouble.append("cannot record into ").append(folder).append(": ").append(error.message());
        progress_.failed = true;
      }
    }
  }

  // For the page: the thumbnail of every screen, and where each screen differs from its twin
  // with the add-on off, in boxes of six points.
  void addThumbnailsAndChanges() {
    int cell = static_cast<int>(6 * shown_.profile.scale + 0.5);
    std::error_code error;
    for (ShownScene& scene : shown_.scenes) {
      for (ShownShot& shot : scene.shots) {
        shot.hasThumbnail = fs::exists(screens_ + "/" + shot.shot.name + ".thumb.jpg", error);
      }
      for (ShownShot& on : scene.shots) {
        for (ShownShot& off : scene.shots) {
          if (off.shot.name != on.shot.name + "-off") continue;
          on.changes = changedRegions(screens_ + "/" + on.shot.name + ".png",
                                      screens_ + "/" + off.shot.name + ".png",
                                      options_.compare.tolerance, cell);
          off.changes = on.changes;
        }
      }
    }
  }

  const SimOptions& options_;
  const SimTools& tools_;
  Progress& progress_;
  ShownProfile shown_;
  SimCast cast_;
  std::string device_, screens_, errors_;
};
}  // namespace

std::vector<std::string> simSceneNames(const std::vector<std::string>& calls) {
  std::vector<std::string> names;
  for (const SimScene& scene : runScenes(calls)) {
    names.push_back(scene.name);
    if (scene.alsoOff) names.push_back(scene.name + "-off");
  }
  return names;
}

int runSimulator(const SimOptions& options, const SimTools& tools) {
  std::string unknown;
  const std::vector<SimScene> scenes = runScenes(options.calls);
  std::vector<Play> plays = choosePlays(scenes, options.scenes, &unknown);
  if (!unknown.empty()) {
    std::fprintf(stderr, "talvocb sim: no scene '%s' (talvocb sim --list names them)\n",
                 unknown.c_str());
    return 2;
  }
  std::vector<SimProfile> profiles;
  for (const SimProfile& profile : simProfiles()) {
    bool chosen = options.profiles.empty();
    for (const std::string& name : options.profiles) chosen = chosen || name == profile.name;
    if (chosen) profiles.push_back(profile);
  }
  for (const std::string& name : options.profiles) {
    if (!findSimProfile(name)) {
      std::fprintf(stderr, "talvocb sim: no profile '%s'; the profiles are:", name.c_str());
      for (const SimProfile& profile : simProfiles()) {
        std::fprintf(stderr, " %s", profile.name.c_str());
      }
      std::fprintf(stderr, "\n");
      return 2;
    }
  }
  std::error_code error;
  if (!options.root.empty() && !fs::is_directory(options.root, error)) {
    std::fprintf(stderr, "talvocb sim: %s: no such device folder\n", options.root.c_str());
    return 1;
  }
  if (!options.check.empty() && !fs::is_directory(options.check, error)) {
    std::fprintf(stderr, "talvocb sim: %s: no folder of reference screens\n",
                 options.check.c_str());
    return 1;
  }
  // A run starts from nothing, so that no screen of an earlier run passes for one of this run.
  for (const char* part : {"screens", "device", "logs", "index.html"}) {
    fs::remove_all(fs::path(options.out) / part, error);
  }
  if (fs::is_directory(options.out, error)) {
    for (const auto& entry : fs::directory_iterator(options.out, error)) {
      std::string name = entry.path().filename().string();
      if (name.rfind("scene-", 0) == 0 && entry.path().extension() == ".html") {
        fs::remove(entry.path(), error);
      }
    }
  }
  fs::create_directories(options.out, error);
  if (error) {
    std::fprintf(stderr, "talvocb sim: %s: %s\n", options.out.c_str(), error.message().c_str());
    return 1;
  }
  // Monogram colours are drawn at random. The hosts' random numbers are all 0, so that a colour
  // follows from its contact alone and each screen comes out the same on every run.
  ::setenv(standin::kRandomVariable, standin::kRandomZero, 1);

  auto start = Clock::now();
  // Every host of the run is a fork of one that has loaded its libraries and read its fonts (it
  // does so while the phones' devices are made); should it not start, each is started as a
  // program of its own.
  fs::create_directories(fs::path(options.out) / "logs", error);
  SimForkServer forks(tools.host, options.out + "/logs/fork-server.log");
  SimTools forkingTools = tools;
  forkingTools.forks = &forks;
  Progress progress;
  progress.total = plays.size() * profiles.size();
  std::vector<ShownProfile> shown(profiles.size());
  // The phones with the most pixels first: their screens take longest, and a run whose last
  // phone is its largest keeps one core waiting for it.
  std::vector<std::size_t> order(profiles.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    auto pixels = [&](const SimProfile& p) { return p.width * p.height * p.scale * p.scale; };
    return pixels(profiles[a]) > pixels(profiles[b]);
  });
  std::atomic<std::size_t> next{0};
  // One phone more than the cores: while a phone waits for a host to start or end, another
  // phone's host has the core.
  unsigned jobs = options.jobs ? options.jobs : std::thread::hardware_concurrency() + 1;
  std::vector<std::thread> workers;
  for (unsigned i = 0; i < std::min<std::size_t>(jobs, profiles.size()); ++i) {
    workers.emplace_back([&] {
      for (std::size_t turn; (turn = next++) < profiles.size();) {
        std::size_t index = order[turn];
        shown[index] = PhoneRun(options, forkingTools, profiles[index], progress).play(plays);
      }
    });
  }
  for (std::thread& worker : workers) worker.join();

  std::size_t screens = 0;
  for (const ShownProfile& profile : shown) {
    for (const ShownScene& scene : profile.scenes) screens += scene.shots.size();
  }
  char headline[200];
  std::snprintf(headline, sizeof headline, "%zu screens of %zu scenes on %zu phones in %.1f s",
                screens, plays.size(), profiles.size(), secondsSince(start));
  PageSummary summary{secondsSince(start), !options.check.empty(), options.check};
  std::string pageError;
  if (!writeIndexPage(options.out, shown, summary, &pageError)) {
    std::fprintf(stderr, "talvocb sim: %s\n", pageError.c_str());
    return 1;
  }
  std::printf("%s; the page: %s/index.html\n", headline, options.out.c_str());
  if (progress.failed) {
    std::printf("Some scenes failed%s; the page marks them.\n",
                options.check.empty() ? "" : " or differ from their references");
    return 1;
  }
  return 0;
}

}  // namespace simulator
