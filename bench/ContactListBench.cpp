// A contact list of 1,000 rows in SpringBoard with the hook module loaded: rows requested top to
// bottom, first with an empty image cache (cold) and then again (warm), against the host's own
// cell request without the add-on. A first pass before them loads the fonts of the names'
// scripts, once per process. Then where the cold pass's added time goes: fetching the contact
// again with the picture keys, and making the picture (photo or monogram). The passes run in
// rounds over slices of the list and each figure is a median of rounds.
// Runs once and prints a report: build/bin/ContactListBench [ROWS].
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

#include "EnterBenchDevice.h"
#include "SampleDevice.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+ImageHelpers.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+Retrieval.h"
#include "apps/HostClasses.h"
#include "contacts/CNContact.h"
#include "foundation/Dispatch.h"
#include "uikit/NSIndexPath.h"
#include "uikit/UILabel.h"
#include "uikit/UITableView.h"
#include "uikit/UIViewController.h"

namespace {

constexpr double kFrameMicroseconds = 1e6 / 60;
constexpr int kRowsPerFrame = 12;
constexpr long kSliceRows = 1000;
constexpr long kLeastRounds = 7, kMostRounds = 25;
constexpr long kKeptRows = 20;
constexpr long kScrolls = 50;  // passes over the kept rows a turn
constexpr int kScrollTurns = 4;

double median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// The main thread's own time: on a machine shared with builds, the wall clock also counts the
// time other processes held the core, which differs from pass to pass.
double threadMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

double microsecondsPerRow(long rows, const std::function<void(long)>& body) {
  double start = threadMicroseconds();
  for (long row = 0; row < rows; ++row) body(row);
  return (threadMicroseconds() - start) / static_cast<double>(rows);
}

IMP hostImplementation(const char* className, const char* selector) {
  for (const auto& method : standin::apps::registeredHostMethods()) {
    if (method.className == className && method.selector == selector) return method.original;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  long rows = argc > 1 ? std::atol(argv[1]) : 0;
  if (rows < 1) rows = 1000;
  DeviceProfile profile;
  profile.systemVersion = "9.0.2";
  profile.deriveFromScreen();
  std::string root = enterBenchDevice(profile);
  sample::SampleOptions options;
  options.profile = profile;
  options.contacts = static_cast<int>(rows);
  std::string error;
  if (!sample::writeSampleDevice(root, options, nullptr, &error)) {
    std::fprintf(stderr, "ContactListBench: %s\n", error.c_str());
    return 1;
  }
  standin::becomeMainThread();
  standin::setMainBundleIdentifier(std::string("com.apple.springboard"));
  standin::apps::registerCallBarClasses();
  standin::apps::registerContactsClasses();
  standin::apps::registerAddressBookUIClasses();
  if (!::dlopen(TALVOCB_LIB_DIR "/TalvoCB.so", RTLD_NOW | RTLD_GLOBAL)) {
    std::fprintf(stderr, "ContactListBench: %s\n", ::dlerror());
    return 1;
  }

  auto list =
      cast<UIViewController>(class_createInstance(objc_getClass("CNContactListViewController")));
  list->view();
  auto table = cast<UITableView>(objc_msgSend<id()>(list, "tableView"));
  // Every row of every section, in the order of the list's _contacts.
  std::vector<id> paths;
  for (long section = 0; section < table->numberOfSections(); ++section) {
    for (long row = 0; row < table->numberOfRowsInSection(section); ++row) {
      paths.push_back(NSIndexPath::indexPathForRow(row, section));
    }
  }
  long listed = static_cast<long>(paths.size());
  auto hostOwn = reinterpret_cast<HostSignature::CellForRow>(
      hostImplementation("CNContactListViewController", "tableView:cellForRowAtIndexPath:"));
  SEL cellForRow = sel_registerName("tableView:cellForRowAtIndexPath:");

  // The process's first pass loads the fonts of every script the names are written in, once per
  // process; everything held against the bare steps is measured after it.
  TalvoCBUtils::clearImageCache();
  double first = microsecondsPerRow(listed, [&](long row) {
    objc_msgSend<id(id, id)>(list, cellForRow, id(table), paths[static_cast<std::size_t>(row)]);
  });

  // The passes go in rounds over slices of the list, each round every pass in turn, and each
  // figure is the median of its rounds: a burst of other work on a shared machine then spoils a
  // round or two, not a pass held against another measured a minute later. A short list is
  // passed over whole in every round.
  long slice = std::min<long>(listed, kSliceRows);
  long rounds = std::clamp<long>(listed / slice, kLeastRounds, kMostRounds);
  auto contacts = cast<NSArray>(object_getIvar<id>(list, "_contacts"));
  id store = objc_msgSend<id()>(objc_msgSendClass<id()>("CNFavorites", "sharedInstance"), "store");
  auto keys =
      make<NSArray>(std::vector<id>{NSString::stringWithUTF8String(CNContactThumbnailImageDataKey),
                                    NSString::stringWithUTF8String(CNContactImageDataAvailableKey),
                                    NSString::stringWithUTF8String(CNContactGivenNameKey)});
  std::vector<id> fetched(static_cast<std::size_t>(slice));
  std::vector<double> host, cold, warm, hostBack, back, refetch, picture;
  std::vector<char> counted(static_cast<std::size_t>(listed), 0);
  long photos = 0, monograms = 0;
  for (long round = 0; round < rounds; ++round) {
    // Slices spread over the whole list: the rows of a large book are met at every depth.
    long base = (listed - slice) * round / std::max<long>(1, rounds - 1);
    auto at = [&](long row) { return paths[static_cast<std::size_t>(base + row)]; };
    TalvoCBUtils::clearImageCache();
    host.push_back(
        microsecondsPerRow(slice, [&](long row) { hostOwn(list, cellForRow, table, at(row)); }));
    TalvoCBUtils::clearImageCache();
    cold.push_back(microsecondsPerRow(
        slice, [&](long row) { objc_msgSend<id(id, id)>(list, cellForRow, id(table), at(row)); }));
    warm.push_back(microsecondsPerRow(
        slice, [&](long row) { objc_msgSend<id(id, id)>(list, cellForRow, id(table), at(row)); }));
    // The cache keeps the last pictures up to 100 and 2 MB (some 30 rows at scale 3): scrolling
    // back over the last 20 rows finds every one. One pass of 20 rows is too short to time, so
    // they are scrolled over many times, the host's own request for the same rows in turn.
    long kept = std::min<long>(slice, kKeptRows);
    auto keptAt = [&](long step) { return at(slice - kept + step % kept); };
    for (int turn = 0; turn < kScrollTurns; ++turn) {
      hostBack.push_back(microsecondsPerRow(
          kept * kScrolls, [&](long step) { hostOwn(list, cellForRow, table, keptAt(step)); }));
      back.push_back(microsecondsPerRow(kept * kScrolls, [&](long step) {
        objc_msgSend<id(id, id)>(list, cellForRow, id(table), keptAt(step));
      }));
    }

    // The cold pass's parts, for the same rows.
    refetch.push_back(microsecondsPerRow(slice, [&](long row) {
      id contact = contacts->items[static_cast<std::size_t>(base + row)];
      fetched[static_cast<std::size_t>(row)] = objc_msgSend<id(id, id, id*)>(
          store, "unifiedContactWithIdentifier:keysToFetch:error:",
          objc_msgSend<id()>(contact, "identifier"), id(keys), static_cast<id*>(nullptr));
    }));
    TalvoCBUtils::clearImageCache();
    picture.push_back(microsecondsPerRow(slice, [&](long row) {
      auto contact = cast<CNContact>(fetched[static_cast<std::size_t>(row)]);
      if (!contact) return;
      bool firstTime = !counted[static_cast<std::size_t>(base + row)];
      counted[static_cast<std::size_t>(base + row)] = 1;
      if (auto data = contact->thumbnailImageData(); data && data->length() > 0) {
        photos += firstTime;
        TalvoCBUtils::getImageFromImageData(data, contact->recordID());
      } else {
        monograms += firstTime;
        // The initials the row shows: of the title, both names.
        auto listed = cast<CNContact>(contacts->items[static_cast<std::size_t>(base + row)]);
        std::string title = listed->givenName().value_or("");
        if (auto last = listed->familyName(); last && !last->empty()) {
          title += (title.empty() ? "" : " ") + *last;
        }
        TalvoCBUtils::monogramImage(TalvoCBUtils::monogramTextFromName(title), contact->recordID());
      }
    }));
  }
  long kept = std::min<long>(slice, kKeptRows);

  std::printf(
      "Contact list of %ld rows in SpringBoard, main thread, microseconds per row (medians"
      " of %ld rounds of %ld rows):\n",
      listed, rounds, slice);
  std::printf("  host's own cell request (no add-on)  %8.1f\n", median(host));
  std::printf("  with the add-on, the process's first pass (loads the fonts)  %8.1f  (+%.1f)\n",
              first, first - median(host));
  std::printf("  with the add-on, cold cache          %8.1f  (+%.1f)\n", median(cold),
              median(cold) - median(host));
  std::printf("  with the add-on, warm cache          %8.1f  (+%.1f)\n", median(warm),
              median(warm) - median(host));
  std::printf("  host's own cell request over the last %ld rows  %8.2f\n", kept, median(hostBack));
  std::printf("  with the add-on, back over the last %ld rows (all cached)  %8.2f  (+%.2f)\n", kept,
              median(back), median(back) - median(hostBack));
  std::printf("Cold pass, parts of the added time (per row):\n");
  std::printf("  the provisional default picture          %8.1f\n",
              microsecondsPerRow(slice, [](long) { TalvoCBUtils::defaultImage(); }));
  std::printf("  fetching the contact with picture keys  %8.1f\n", median(refetch));
  std::printf("  making the picture (%ld photos, %ld monograms)  %8.1f\n", photos, monograms,
              median(picture));
  double budget = kFrameMicroseconds / kRowsPerFrame;
  std::printf("Budget at 60 frames a second, %d new rows a frame: %.0f per row\n", kRowsPerFrame,
              budget);
  std::printf("  warm pass %s, cold pass %s\n",
              std::max(median(warm), median(back)) <= budget ? "fits" : "does NOT fit",
              median(cold) <= budget ? "fits" : "does NOT fit");
  return 0;
}
