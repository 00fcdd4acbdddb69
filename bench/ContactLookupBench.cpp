// Contact lookup and monogram text: a remembered lookup against a bare map read, first lookups on
// generated address books of 10,000 and 100,000 contacts, and the database monogram text read.
// The system's log lines go to /dev/null while it runs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <string>
#include <unordered_map>

#include "AddressBookWriter.h"
#include "ContactLookupState.h"
#include "FirstValue.h"
#include "QuietBenchmarkMain.h"
#include "SampleDevice.h"
#include "TalvoCBUtils.h"
#include "foundation/NSLog.h"

namespace {

struct SampleBook {
  std::string root;
  std::string phone;  // a number of a person in the middle of the book
  std::string email;
  int32_t personID = 0;
};

// Generated books, made once per size in temporary folders and removed at exit.
struct SampleBooks {
  ~SampleBooks() {
    std::error_code ec;
    for (auto& [size, book] : books) std::filesystem::remove_all(book.root, ec);
  }
  std::map<int, SampleBook> books;
};

const SampleBook& sampleBook(int contacts) {
  static SampleBooks samples;
  auto found = samples.books.find(contacts);
  if (found == samples.books.end()) {
    SampleBook book;
    std::string pattern =
        (std::filesystem::temp_directory_path() / "talvocb-bench-XXXXXX").string();
    book.root = ::mkdtemp(pattern.data());
    sample::SampleOptions options;
    options.contacts = contacts;
    std::string error;
    if (!sample::writeSampleDevice(book.root, options, nullptr, &error)) std::abort();
    book.personID = contacts / 2;
    std::string middle = std::to_string(book.personID);
    book.phone = firstValue(book.root, ("SELECT value FROM ABMultiValue WHERE property = 3 AND "
                                        "record_id >= " +
                                        middle + " ORDER BY record_id LIMIT 1")
                                           .c_str());
    book.email = firstValue(book.root, ("SELECT value FROM ABMultiValue WHERE property = 4 AND "
                                        "record_id >= " +
                                        middle + " ORDER BY record_id LIMIT 1")
                                           .c_str());
    found = samples.books.emplace(contacts, book).first;
  }
  sim::setDeviceRoot(found->second.root);
  return found->second;
}

void BM_BareUnorderedMapFind(benchmark::State& state) {
  const SampleBook& book = sampleBook(10000);
  std::unordered_map<std::string, int> map{{book.phone, 1}};
  for (int i = 0; i < 64; ++i) map.emplace("+1 555 010 " + std::to_string(1000 + i), i);
  for (auto _ : state) benchmark::DoNotOptimize(map.find(book.phone));
}
BENCHMARK(BM_BareUnorderedMapFind);

// The remembered lookup, including the "Got contact ID" line it writes on every call.
void BM_SecondLookup(benchmark::State& state) {
  const SampleBook& book = sampleBook(10000);
  TalvoCBResetContactLookup();
  TalvoCBUtils::getContactID(book.phone);
  for (auto _ : state) benchmark::DoNotOptimize(TalvoCBUtils::getContactID(book.phone));
}
BENCHMARK(BM_SecondLookup);

// The map read of the remembered lookup, without its log line.
void BM_SecondLookupMapRead(benchmark::State& state) {
  const SampleBook& book = sampleBook(10000);
  TalvoCBResetContactLookup();
  TalvoCBUtils::getContactID(book.phone);
  for (auto _ : state) benchmark::DoNotOptimize(TalvoCBRememberedContactID(book.phone));
}
BENCHMARK(BM_SecondLookupMapRead);

// The log line alone, for comparison with the remembered lookup.
void BM_LogLineAlone(benchmark::State& state) {
  const SampleBook& book = sampleBook(10000);
  for (auto _ : state) NSLog("Got contact ID '%d' for '%s'", 1, book.phone.c_str());
}
BENCHMARK(BM_LogLineAlone);

void BM_FirstPhoneLookup(benchmark::State& state) {
  const SampleBook& book = sampleBook(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    TalvoCBResetContactLookup();
    state.ResumeTiming();
    if (TalvoCBUtils::getContactID(book.phone) < 1) state.SkipWithError("number not found");
  }
}
BENCHMARK(BM_FirstPhoneLookup)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_FirstEmailLookup(benchmark::State& state) {
  const SampleBook& book = sampleBook(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    TalvoCBResetContactLookup();
    state.ResumeTiming();
    if (TalvoCBUtils::getContactID(book.email) < 1) state.SkipWithError("address not found");
  }
}
BENCHMARK(BM_FirstEmailLookup)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_MonogramTextFromDatabase(benchmark::State& state) {
  const SampleBook& book = sampleBook(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (!TalvoCBUtils::getMonogramTextFromAB(book.personID)) state.SkipWithError("no text");
  }
}
BENCHMARK(BM_MonogramTextFromDatabase)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

QUIET_BENCHMARK_MAIN()
