// Contact lookup and monogram text on generated address books of 1,000, 10,000 and 100,000
// contacts, each against its bare operation: the remembered lookup against a map find with the
// same log line, first lookups against the platform's match or one query, and the database
// monogram text read against one query.
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
#include "TalvoCBUtils+ContactLookup.h"
#include "TalvoCBUtils+MonogramText.h"
#include "addressbook/ABAddressBook.h"
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
  standin::setDeviceRoot(found->second.root);
  return found->second;
}

// The book sizes every lookup is measured on.
void bookSizes(benchmark::internal::Benchmark* b) {
  b->Arg(1000)->Arg(10000)->Arg(100000);
}

// The remembered lookup, including the "Got contact ID" line it writes on every call.
void BM_SecondLookup(benchmark::State& state) {
  const SampleBook& book = sampleBook(static_cast<int>(state.range(0)));
  TalvoCBResetContactLookup();
  TalvoCBUtils::getContactID(book.phone);
  for (auto _ : state) benchmark::DoNotOptimize(TalvoCBUtils::getContactID(book.phone));
}
BENCHMARK(BM_SecondLookup)->Apply(bookSizes);

// Its bare operation: a map find and the same log line, written with the platform's log function.
void BM_BareMapFindAndLogLine(benchmark::State& state) {
  const SampleBook& book = sampleBook(static_cast<int>(state.range(0)));
  std::unordered_map<std::string, int32_t> map{{book.phone, book.personID}};
  for (int i = 0; i < 64; ++i) map.emplace("+1 555 010 " + std::to_string(1000 + i), i);
  for (auto _ : state) {
    auto found = map.find(book.phone);
    NSLog("Got contact ID '%d' for '%s'", found->second, book.phone.c_str());
  }
}
BENCHMARK(BM_BareMapFindAndLogLine)->Apply(bookSizes);

// The map read of the remembered lookup, without its log line.
void BM_SecondLookupMapRead(benchmark::State& state) {
  const SampleBook& book = sampleBook(10000);
  TalvoCBResetContactLookup();
  TalvoCBUtils::getContactID(book.phone);
  for (auto _ : state) benchmark::DoNotOptimize(TalvoCBRememberedContactID(book.phone));
}
BENCHMARK(BM_SecondLookupMapRead);

void BM_FirstPhoneLookup(benchmark::State& state) {
  const SampleBook& book = sampleBook(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    TalvoCBResetContactLookup();
    state.ResumeTiming();
    if (TalvoCBUtils::getContactID(book.phone) < 1) state.SkipWithError("number not found");
  }
}
BENCHMARK(BM_FirstPhoneLookup)->Apply(bookSizes)->Unit(benchmark::kMicrosecond);

// Bare: the platform's own match of the number in a fresh address book handle.
void BM_BarePhoneMatch(benchmark::State& state) {
  const SampleBook& book = sampleBook(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    ABAddressBookRef addressBook = ABAddressBookCreate();
    if (!ABCFindPersonMatchingPhoneNumber(addressBook, book.phone, 0, 0))
      state.SkipWithError("number not found");
    CFRelease(addressBook);
  }
}
BENCHMARK(BM_BarePhoneMatch)->Apply(bookSizes)->Unit(benchmark::kMicrosecond);

void BM_FirstEmailLookup(benchmark::State& state) {
  const SampleBook& book = sampleBook(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    state.PauseTiming();
    TalvoCBResetContactLookup();
    state.ResumeTiming();
    if (TalvoCBUtils::getContactID(book.email) < 1) state.SkipWithError("address not found");
  }
}
BENCHMARK(BM_FirstEmailLookup)->Apply(bookSizes)->Unit(benchmark::kMicrosecond);

// Bare: one read-only SQLite query for the address.
void BM_BareEmailQuery(benchmark::State& state) {
  const SampleBook& book = sampleBook(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    std::string sql = "SELECT record_id FROM ABMultiValue WHERE value = '" + book.email +
                      "' COLLATE NOCASE ORDER BY record_id";
    if (firstValue(book.root, sql).empty()) state.SkipWithError("address not found");
  }
}
BENCHMARK(BM_BareEmailQuery)->Apply(bookSizes)->Unit(benchmark::kMicrosecond);

void BM_MonogramTextFromDatabase(benchmark::State& state) {
  const SampleBook& book = sampleBook(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (!TalvoCBUtils::getMonogramTextFromAB(book.personID)) state.SkipWithError("no text");
  }
}
BENCHMARK(BM_MonogramTextFromDatabase)->Apply(bookSizes)->Unit(benchmark::kMicrosecond);

// Bare: one read-only SQLite query for the names.
void BM_BareNameQuery(benchmark::State& state) {
  const SampleBook& book = sampleBook(static_cast<int>(state.range(0)));
  std::string sql =
      "SELECT COALESCE(FIRST, '') || COALESCE(LAST, '') FROM ABPerson WHERE ROWID = " +
      std::to_string(book.personID);
  for (auto _ : state) {
    if (firstValue(book.root, sql).empty()) state.SkipWithError("no names");
  }
}
BENCHMARK(BM_BareNameQuery)->Apply(bookSizes)->Unit(benchmark::kMicrosecond);

}  // namespace

QUIET_BENCHMARK_MAIN()
