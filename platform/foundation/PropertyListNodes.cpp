#include "foundation/PropertyListNodes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace plist_nodes {
namespace {

constexpr uint8_t kDateMarker = 0x33;     // 8-byte real, as a date
constexpr uint8_t kWideIntMarker = 0x14;  // 16-byte integer: libplist's unsigned
constexpr std::size_t kObjectOffset = 8;  // after "bplist00"

void appendBigEndian(std::vector<uint8_t>& out, uint64_t v, int bytes) {
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

uint64_t readBigEndian(const uint8_t* p, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
  return v;
}

// Parses a binary list whose only object, the root, is `object`.
plist_t fromOneObject(const std::vector<uint8_t>& object) {
  // Sized first and filled in place: GCC's bounds analysis misreads a grow-and-insert here.
  std::vector<uint8_t> list(kObjectOffset + object.size());
  std::memcpy(list.data(), "bplist00", kObjectOffset);
  std::copy(object.begin(), object.end(), list.begin() + kObjectOffset);
  std::size_t tableAt = list.size();
  list.push_back(kObjectOffset);  // the offset table: one entry of one byte
  list.insert(list.end(), 6, 0);
  list.push_back(1);            // offset size
  list.push_back(1);            // reference size
  appendBigEndian(list, 1, 8);  // objects
  appendBigEndian(list, 0, 8);  // root
  appendBigEndian(list, tableAt, 8);
  plist_t node = nullptr;
  plist_from_bin(reinterpret_cast<const char*>(list.data()), static_cast<uint32_t>(list.size()),
                 &node);
  return node;
}

// The binary form of a leaf node on its own: its marker and payload at kObjectOffset.
std::vector<uint8_t> asOneObject(plist_t node) {
  plist_t copy = plist_copy(node);
  char* out = nullptr;
  uint32_t length = 0;
  plist_to_bin(copy, &out, &length);
  plist_free(copy);
  std::vector<uint8_t> bytes;
  if (out) bytes.assign(out, out + length);
  std::free(out);
  return bytes;
}

}  // namespace

double dateValue(plist_t date) {
  std::vector<uint8_t> bytes = asOneObject(date);
  if (bytes.size() >= kObjectOffset + 9 && bytes[kObjectOffset] == kDateMarker) {
    uint64_t bits = readBigEndian(bytes.data() + kObjectOffset + 1, 8);
    double seconds = 0;
    std::memcpy(&seconds, &bits, sizeof seconds);
    return seconds;
  }
  int32_t seconds = 0, micros = 0;
  plist_get_date_val(date, &seconds, &micros);
  return seconds + micros / 1e6;
}

plist_t newDate(double secondsSinceReferenceDate) {
  uint64_t bits = 0;
  std::memcpy(&bits, &secondsSinceReferenceDate, sizeof bits);
  std::vector<uint8_t> object = {kDateMarker};
  appendBigEndian(object, bits, 8);
  return fromOneObject(object);
}

bool isUnsigned(plist_t integer) {
  std::vector<uint8_t> bytes = asOneObject(integer);
  return bytes.size() > kObjectOffset && bytes[kObjectOffset] == kWideIntMarker;
}

plist_t newUnsigned(uint64_t value) {
  std::vector<uint8_t> object = {kWideIntMarker};
  appendBigEndian(object, 0, 8);
  appendBigEndian(object, value, 8);
  return fromOneObject(object);
}

}  // namespace plist_nodes
