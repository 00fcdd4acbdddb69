// A contact list of 1,000 rows in SpringBoard with the hook module loaded: every row requested
// top to bottom, first with an empty image cache (cold) and then again (warm), against the host's
// own cell request without the add-on. A first pass before them loads the fonts of the names'
// scripts, once per process. Then where the cold pass's added time goes: fetching the contact
// again with the picture keys, and making the picture (photo or monogram).
// Runs once and prints a report: build/bin/ContactListBench [ROWS].
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>

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

  TalvoCBUtils::clearImageCache();
  double host = microsecondsPerRow(listed, [&](long row) {
    hostOwn(list, cellForRow, table, paths[static_cast<std::size_t>(row)]);
  });
  // The process's first pass also loads the fonts of every script the names are written in, once
  // per process; the bare steps below are measured after that, so the passes held against them
  // are too.
  double first = microsecondsPerRow(listed, [&](long row) {
    objc_msgSend<id(id, id)>(list, cellForRow, id(table), paths[static_cast<std::size_t>(row)]);
  });
  TalvoCBUtils::clearImageCache();
  double cold = microsecondsPerRow(listed, [&](long row) {
    objc_msgSend<id(id, id)>(list, cellForRow, id(table), paths[static_cast<std::size_t>(row)]);
  });
  double warm = microsecondsPerRow(listed, [&](long row) {
    objc_msgSend<id(id, id)>(list, cellForRow, id(table), paths[static_cast<std::size_t>(row)]);
  });
  // The cache keeps the last pictures up to 100 and 2 MB (some 30 rows at scale 3): scrolling
  // back over the last 20 rows finds every one. They are scrolled over many times, against the
  // host's own request for the same rows as often: one pass of 20 rows is too short to time.
  long kept = std::min<long>(listed, 20);
  constexpr long kScrolls = 500;
  auto keptPath = [&](long step) {
    return paths[static_cast<std::size_t>(listed - kept + step % kept)];
  };
  double hostBack = microsecondsPerRow(
      kept * kScrolls, [&](long step) { hostOwn(list, cellForRow, table, keptPath(step)); });
  double back = microsecondsPerRow(kept * kScrolls, [&](long step) {
    objc_msgSend<id(id, id)>(list, cellForRow, id(table), keptPath(step));
  });

  // The cold pass's parts, for the same rows.
  auto contacts = cast<NSArray>(object_getIvar<id>(list, "_contacts"));
  id store = objc_msgSend<id()>(objc_msgSendClass<id()>("CNFavorites", "sharedInstance"), "store");
  auto keys =
      make<NSArray>(std::vector<id>{NSString::stringWithUTF8String(CNContactThumbnailImageDataKey),
                                    NSString::stringWithUTF8String(CNContactImageDataAvailableKey),
                                    NSString::stringWithUTF8String(CNContactGivenNameKey)});
  std::vector<id> fetched(static_cast<std::size_t>(listed));
  double refetch = microsecondsPerRow(listed, [&](long row) {
    id contact = contacts->items[static_cast<std::size_t>(row)];
    fetched[static_cast<std::size_t>(row)] = objc_msgSend<id(id, id, id*)>(
        store, "unifiedContactWithIdentifier:keysToFetch:error:",
        objc_msgSend<id()>(contact, "identifier"), id(keys), static_cast<id*>(nullptr));
  });
  TalvoCBUtils::clearImageCache();
  long photos = 0;
  double picture = microsecondsPerRow(listed, [&](long row) {
    auto contact = cast<CNContact>(fetched[static_cast<std::size_t>(row)]);
    if (!contact) return;
    if (auto data = contact->thumbnailImageData(); data && data->length() > 0) {
      ++photos;
      TalvoCBUtils::getImageFromImageData(data, contact->recordID());
    } else {
      // The initials the row shows: of the title, both names.
      auto listed = cast<CNContact>(contacts->items[static_cast<std::size_t>(row)]);
      std::string title = listed->givenName().value_or("");
      if (auto last = listed->familyName(); last && !last->empty()) {
        title += (title.empty() ? "" : " ") + *last;
      }
      TalvoCBUtils::monogramImage(TalvoCBUtils::monogramTextFromName(title), contact->recordID());
    }
  });

  std::printf("Contact list of %ld rows in SpringBoard, main thread, microseconds per row:\n",
              listed);
  std::printf("  host's own cell request (no add-on)  %8.1f\n", host);
  std::printf("  with the add-on, the process's first pass (loads the fonts)  %8.1f  (+%.1f)\n",
              first, first - host);
  std::printf("  with the add-on, cold cache          %8.1f  (+%.1f)\n", cold, cold - host);
  std::printf("  with the add-on, warm cache          %8.1f  (+%.1f)\n", warm, warm - host);
  std::printf("  host's own cell request over the last %ld rows  %8.2f\n", kept, hostBack);
  std::printf("  with the add-on, back over the last %ld rows (all cached)  %8.2f  (+%.2f)\n", kept,
              back, back - hostBack);
  std::printf("Cold pass, parts of the added time (per row):\n");
  std::printf("  the provisional default picture          %8.1f\n",
              microsecondsPerRow(listed, [](long) { TalvoCBUtils::defaultImage(); }));
  std::printf("  fetching the contact with picture keys  %8.1f\n", refetch);
  std::printf("  making the picture (%ld photos, %ld monograms)  %8.1f\n", photos, listed - photos,
              picture);
  double budget = kFrameMicroseconds / kRowsPerFrame;
  std::printf("Budget at 60 frames a second, %d new rows a frame: %.0f per row\n", kRowsPerFrame,
              budget);
  std::printf("  warm pass %s, cold pass %s\n",
              std::max(warm, back) <= budget ? "fits" : "does NOT fit",
              cold <= budget ? "fits" : "does NOT fit");
  return 0;
}
