// The package's files: favourites and call history, property lists in the device. Whatever a
// file holds, the reader keeps only well-formed items, up to a bound, and never fails.
#include "apps/CallBarFiles.h"
#include "apps/CallBar.h"
#include "apps/CallBarCallRecords.h"

namespace callbar {
namespace {

// More than a phone's history ever keeps; a larger file is cut, not refused.
constexpr std::size_t kMostEntries = 1000;
constexpr std::size_t kMostCallsPerEntry = 100;

std::shared_ptr<NSArray> arrayIn(const std::shared_ptr<NSDictionary>& dictionary, const char* key) {
  return dictionary ? cast<NSArray>(dictionary->objectForKey(key)) : nullptr;
}

}  // namespace

std::vector<Favorite> readFavorites() {
  std::vector<Favorite> favorites;
  auto items =
      arrayIn(NSDictionary::dictionaryWithContentsOfFile(kCallBarFavoritesPath), "favorites");
  if (!items) return favorites;
  for (const id& item : items->items) {
    auto entry = cast<NSDictionary>(item);
    if (!entry) continue;
    Favorite favorite;
    favorite.name = stringValue(entry->objectForKey("name")).value_or("");
    favorite.address = stringValue(entry->objectForKey("address")).value_or("");
    favorite.recordID = static_cast<int32_t>(integerValue(entry->objectForKey("recordId")));
    if (favorite.name.empty() && favorite.address.empty() && favorite.recordID <= 0) continue;
    favorites.push_back(std::move(favorite));
    if (favorites.size() == kCallBarMaxFavorites) break;
  }
  return favorites;
}

std::vector<id> readHistory() {
  std::vector<id> entries;
  auto items = arrayIn(NSDictionary::dictionaryWithContentsOfFile(kCallBarHistoryPath), "entries");
  if (!items) return entries;
  for (const id& item : items->items) {
    auto stored = cast<NSDictionary>(item);
    auto calls = arrayIn(stored, "calls");
    auto address = stored ? stringValue(stored->objectForKey("address")) : std::nullopt;
    if (!calls || !address) continue;
    std::vector<id> records;
    for (const id& call : calls->items) {
      if (id record = makeCallRecord(cast<NSDictionary>(call))) records.push_back(record);
      if (records.size() == kMostCallsPerEntry) break;
    }
    if (records.empty()) continue;
    auto entry = make<NSDictionary>();
    entry->setObject(make<NSArray>(std::move(records)), "calls");
    entry->setObject(NSString::stringWithUTF8String(*address), "address");
    entries.push_back(entry);
    if (entries.size() == kMostEntries) break;
  }
  return entries;
}

std::vector<id> missedEntries(const std::vector<id>& entries) {
  std::vector<id> missed;
  for (const id& item : entries) {
    auto entry = cast<NSDictionary>(item);
    auto calls = arrayIn(entry, "calls");
    if (!calls) continue;
    std::vector<id> records;
    for (const id& call : calls->items) {
      if (callFacts(call).missed) records.push_back(call);
    }
    if (records.empty()) continue;
    auto kept = make<NSDictionary>();
    kept->entries = entry->entries;
    kept->setObject(make<NSArray>(std::move(records)), "calls");
    missed.push_back(kept);
  }
  return missed;
}

}  // namespace callbar
