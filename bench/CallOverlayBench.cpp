// The overlay's setCurrentCall: with the module loaded, in SpringBoard, on a generated book of
// 10,000 contacts (TALVOCB_BENCH_CONTACTS sets another size; the module loads once per process, so
// each size is a run of its own): a call of a contact with a photo on a cold cache, held against
// the host's own method plus the bare lookup and first-picture steps; and a second call of the same
// contact, held against the host's own method alone. The picture must be on screen within a frame.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ContactLookupState.h"
#include "EnterBenchDevice.h"
#include "FirstValue.h"
#include "QuietBenchmarkMain.h"
#include "SampleDevice.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+ContactLookup.h"
#include "TalvoCBUtils+Retrieval.h"
#include "addressbook/ABAddressBook.h"
#include "apps/CallBar.h"
#include "apps/HostClasses.h"
#include "foundation/Dispatch.h"
#include "uikit/UIFont.h"

namespace {

int bookSize() {
  const char* contacts = std::getenv("TALVOCB_BENCH_CONTACTS");
  int size = contacts ? std::atoi(contacts) : 0;
  return size >= 10 ? size : 10000;
}

std::string phoneOf(const std::string& root, ABRecordID person) {
  return firstValue(root, std::string("SELECT value FROM ABMultiValue WHERE property = 3 AND "
                                      "record_id = ")
                              .append(std::to_string(person)));
}

// SpringBoard with CallBar and the module, once per process, and a party with a photo and a
// number from the middle of the book.
struct Overlay {
  Overlay() {
    DeviceProfile profile;
    root = enterBenchDevice(profile);
    sample::SampleOptions options;
    options.profile = profile;
    const int contacts = bookSize();
    options.contacts = contacts;
    std::string error;
    if (!sample::writeSampleDevice(root, options, nullptr, &error)) std::abort();
    standin::becomeMainThread();
    standin::setMainBundleIdentifier("com.apple.springboard");
    standin::apps::registerCallBarClasses();
    standin::apps::registerContactsClasses();
    standin::apps::registerAddressBookUIClasses();
    auto module = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() /
                  "lib" / "TalvoCB.so";
    if (!::dlopen(module.c_str(), RTLD_NOW | RTLD_GLOBAL)) std::abort();

    ABAddressBookRef book = ABAddressBookCreate();
    for (ABRecordID id = contacts / 2; id < contacts && party.empty(); ++id) {
      ABRecordRef person = ABAddressBookGetPersonWithRecordID(book, id);
      if (person && ABPersonHasImageData(person)) party = phoneOf(root, id);
      contactID = id;
    }
    CFRelease(book);
    if (party.empty()) std::abort();

    controller = std::static_pointer_cast<CallBarControllerModern>(
        class_createInstance(objc_getClass("CallBarControllerModern")));
    controller->view();
    for (const auto& method : standin::apps::registeredHostMethods()) {
      if (method.className == "CallBarControllerModern" && method.selector == "setCurrentCall:") {
        hostSetCurrentCall = reinterpret_cast<void (*)(id, SEL, id)>(method.original);
      }
    }
  }
  ~Overlay() {
    std::error_code ec;
    std::filesystem::remove_all(root, ec);
  }

  // A new call of the party, the only one the overlay has.
  id newCall() {
    if (auto current = controller->currentCall()) controller->removeCall(current);
    id call = make<CallBarCall>(party, 1000.0);
    controller->addCall(call);
    return call;
  }

  std::string root;
  std::string party;
  ABRecordID contactID = 0;
  std::shared_ptr<CallBarControllerModern> controller;
  void (*hostSetCurrentCall)(id, SEL, id) = nullptr;
  SEL setCurrentCall = sel_registerName("setCurrentCall:");
};

Overlay& overlay() {
  static Overlay shared;
  return shared;
}

void forgetEverything() {
  TalvoCBUtils::clearImageCache();
  TalvoCBResetContactLookup();
}

void BM_SetCurrentCallColdCache(benchmark::State& state) {
  Overlay& o = overlay();
  for (auto _ : state) {
    state.PauseTiming();
    forgetEverything();
    id call = o.newCall();
    state.ResumeTiming();
    objc_msgSend<void(id)>(o.controller, o.setCurrentCall, call);
  }
}
BENCHMARK(BM_SetCurrentCallColdCache)->Unit(benchmark::kMillisecond);

// What the add-on adds, done bare: the host's own method, the lookup and the first picture.
void BM_HostSetCurrentCallPlusBareSteps(benchmark::State& state) {
  Overlay& o = overlay();
  auto font = UIFont::systemFontOfSize(26);
  for (auto _ : state) {
    state.PauseTiming();
    forgetEverything();
    id call = o.newCall();
    state.ResumeTiming();
    o.hostSetCurrentCall(o.controller, o.setCurrentCall, call);
    int32_t id = TalvoCBUtils::getContactID(o.party);
    benchmark::DoNotOptimize(
        TalvoCBUtils::getContactImageOnly(id, std::nullopt, false, CGSizeMake(60, 60), font));
  }
}
BENCHMARK(BM_HostSetCurrentCallPlusBareSteps)->Unit(benchmark::kMillisecond);

void BM_SetCurrentCallSecondCall(benchmark::State& state) {
  Overlay& o = overlay();
  objc_msgSend<void(id)>(o.controller, o.setCurrentCall, o.newCall());
  for (auto _ : state) {
    state.PauseTiming();
    id call = o.newCall();
    state.ResumeTiming();
    objc_msgSend<void(id)>(o.controller, o.setCurrentCall, call);
  }
}
BENCHMARK(BM_SetCurrentCallSecondCall)->Unit(benchmark::kMicrosecond);

void BM_HostSetCurrentCallAlone(benchmark::State& state) {
  Overlay& o = overlay();
  for (auto _ : state) {
    state.PauseTiming();
    id call = o.newCall();
    state.ResumeTiming();
    o.hostSetCurrentCall(o.controller, o.setCurrentCall, call);
  }
}
BENCHMARK(BM_HostSetCurrentCallAlone)->Unit(benchmark::kMicrosecond);

}  // namespace

QUIET_BENCHMARK_MAIN();
