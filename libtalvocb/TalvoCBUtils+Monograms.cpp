// Monogram palettes, letter monograms, generic monograms and the default image.
#include <stdlib.h>
#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "TalvoCBBundlePictures.h"
#include "TalvoCBLog.h"
#include "TalvoCBUtils+Cache.h"
#include "TalvoCBUtils+CacheInternal.h"
#include "TalvoCBUtils+FilePictures.h"
#include "TalvoCBUtils+FilePicturesInternal.h"
#include "TalvoCBUtils+MonogramText.h"
#include "TalvoCBUtils+Monograms.h"
#include "TalvoCBUtils+MonogramsInternal.h"
#include "TalvoCBUtils+Settings.h"
#include "UIColor+TalvoCB.h"
#include "UIImage+TalvoCB.h"
#include "foundation/Device.h"
#include "kernel/arc4random.h"
#include "uikit/NSStringDrawing.h"
#include "uikit/UIDevice.h"
#include "uikit/UIFont.h"
#include "uikit/UIGraphics.h"
#include "uikit/UIImage.h"
#include "uikit/UIView.h"

namespace {
constexpr std::array<const char*, 30> kFullPalette = {
    "#4b9484", "#9cd2d0", "#9f9cd2", "#12a9d5", "#42d7b6", "#80c99d", "#84f4eb", "#576c93",
    "#898c66", "#4785f2", "#839096", "#a2c257", "#a5682a", "#B294D1", "#c9b580", "#cd6b80",
    "#cfd8f0", "#cff0e2", "#d2cf9c", "#d7d242", "#D8BFD8", "#d8f0cf", "#dacff0", "#e3b333",
    "#EE9572", "#f0cfcf", "#f0cfe7", "#f0eacf", "#f9cccc", "#f484c6"};
constexpr std::array<const char*, 13> kDarkPalette = {
    "#4b9484", "#12a9d5", "#576c93", "#898c66", "#4785f2", "#839096", "#a2c257",
    "#a5682a", "#cd6b80", "#d7d242", "#e3b333", "#EE9572", "#f484c6"};

// "#RRGGBB" of a colour, for the picture's source.
std::string hexOf(const UIColorPtr& color) {
  CGFloat r = 0, g = 0, b = 0, a = 0;
  if (!color || !color->getRed(&r, &g, &b, &a)) return "#000000";
  auto byte = [](CGFloat v) {
    return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
  };
  return stringWithFormat("#%02X%02X%02X", byte(r), byte(g), byte(b));
}

// The generic monogram of no contact (the default image) is asked for by every row that waits
// for its picture, and is stored nowhere. It depends only on the bundle picture, the size, the
// colour, the screen's scale and the round switch, so each drawing is kept per those: the colour
// is still drawn at random on every call, and a colour met before gives the same picture.
struct ComposedKey {
  UIImagePtr source;  // held, so that its address names no other picture later
  CGSize size;
  std::array<CGFloat, 4> rgba;
  CGFloat scale;
  bool round;
  bool operator==(const ComposedKey& other) const {
    return source == other.source && size == other.size && rgba == other.rgba &&
           scale == other.scale && round == other.round;
  }
};
std::mutex composedLock;
std::vector<std::pair<ComposedKey, UIImagePtr>> composed;  // the two palettes at most, per switch
constexpr std::size_t kMaxComposed = 64;

std::optional<ComposedKey> composedKey(const UIImagePtr& source, CGSize size,
                                       const UIColorPtr& color) {
  ComposedKey key{
      source, size, {}, UIScreen::mainScreen()->scale(), TalvoCBUtils::isRoundedPicsEnabled()};
  if (!color || !color->getRed(&key.rgba[0], &key.rgba[1], &key.rgba[2], &key.rgba[3])) {
    return std::nullopt;
  }
  return key;
}

UIImagePtr composedBefore(const ComposedKey& key) {
  std::lock_guard guard(composedLock);
  for (const auto& [known, image] : composed) {
    if (known == key) return image;
  }
  return nullptr;
}

void keepComposed(ComposedKey key, const UIImagePtr& image) {
  std::lock_guard guard(composedLock);
  if (composed.size() >= kMaxComposed) composed.clear();
  composed.emplace_back(std::move(key), image);
}

std::shared_ptr<NSNumber> keyFor(long contactID) {
  return NSNumber::numberWithInteger(contactID);
}

bool joins(UChar32 c) {
  int type = u_getIntPropertyValue(c, UCHAR_JOINING_TYPE);
  return type != U_JT_NON_JOINING && type != U_JT_TRANSPARENT;
}

// A character-cluster iterator lent for one monogram. Building one costs more than the rest of
// a monogram, so those given back wait in a pool for the next, on any thread. Not thread_local:
// this library is loaded with dlopen, and such a library's thread storage is misread, and
// crashed on, by the leak checker at a process's exit.
class BorrowedClusterIterator {
 public:
  BorrowedClusterIterator() {
    {
      std::lock_guard lock(poolLock());
      if (!pool().empty()) {
        iterator_ = std::move(pool().back());
        pool().pop_back();
        return;
      }
    }
    UErrorCode status = U_ZERO_ERROR;
    iterator_.reset(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status)) iterator_.reset();
  }
  ~BorrowedClusterIterator() {
    if (!iterator_) return;
    std::lock_guard lock(poolLock());
    pool().push_back(std::move(iterator_));
  }
  BorrowedClusterIterator(const BorrowedClusterIterator&) = delete;
  BorrowedClusterIterator& operator=(const BorrowedClusterIterator&) = delete;
  icu::BreakIterator* get() const { return iterator_.get(); }

 private:
  // Never destroyed: a worker may still give one back while the process exits.
  static std::mutex& poolLock() {
    static auto* lock = new std::mutex;
    return *lock;
  }
  static std::vector<std::unique_ptr<icu::BreakIterator>>& pool() {
    static auto* kept = new std::vector<std::unique_ptr<icu::BreakIterator>>;
    return *kept;
  }
  std::unique_ptr<icu::BreakIterator> iterator_;
};

// The initials as they are drawn: upper-cased, and with a zero-width non-joiner between
// characters of joining scripts (Arabic, Syriac, N'Ko...), so that two initials show in their
// isolated forms rather than as a fragment of a word. Clusters (accents, emoji sequences) stay
// whole.
std::string initialsToDraw(const std::string& text) {
  // Plain ASCII needs neither ICU's case mapping nor separating.
  if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) {
    std::string upper = text;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
  }
  icu::UnicodeString upper = icu::UnicodeString::fromUTF8(text);
  upper.toUpper(icu::Locale::getRoot());
  BorrowedClusterIterator borrowed;
  icu::BreakIterator* clusters = borrowed.get();
  if (!clusters) {
    std::string out;
    return upper.toUTF8String(out);
  }
  clusters->setText(upper);
  icu::UnicodeString separated;
  int32_t start = clusters->first();
  for (int32_t end = clusters->next(); end != icu::BreakIterator::DONE;
       start = end, end = clusters->next()) {
    if (start > 0 && joins(upper.char32At(upper.moveIndex32(start, -1))) &&
        joins(upper.char32At(start))) {
      separated.append(static_cast<UChar>(0x200C));
    }
    separated.append(upper, start, end - start);
  }
  std::string out;
  return separated.toUTF8String(out);
}

// Draws the initials so that their ink, not their line box, sits in the middle of the layout
// box: the line box of a font is taller above the letters than below them, and fallback fonts
// (CJK, emoji) have line boxes of their own. The line is laid out once, for measuring and
// drawing. Answers the band of rows the ink covers.
std::pair<CGFloat, CGFloat> drawInitials(const std::string& text, CGRect box,
                                         const UIFontPtr& font) {
  std::pair<CGFloat, CGFloat> band{box.origin.y, box.origin.y};
  NSStringDrawInRectPlaced(
      text, box, font, NSLineBreakByTruncatingTail, NSTextAlignmentCenter,
      [&](const NSStringLineMetrics& m) {
        CGPoint at = box.origin;
        if (m.ink.size.width > 0 && m.ink.size.height > 0) {
          at.y += box.size.height / 2 - (m.ink.origin.y + m.ink.size.height / 2);
          // A line that is cut to the width keeps the alignment it is given.
          if (m.line.size.width <= box.size.width) {
            at.x += m.line.size.width / 2 - (m.ink.origin.x + m.ink.size.width / 2);
          }
        }
        band = {at.y + m.ink.origin.y, at.y + m.ink.origin.y + m.ink.size.height};
        return at;
      });
  return band;
}
}  // namespace

UIColorPtr TalvoCBUtils::getMonogramRandomColor(long contactID, bool darkColor) {
  const char* const* palette = darkColor ? kDarkPalette.data() : kFullPalette.data();
  const uint32_t n = darkColor ? kDarkPalette.size() : kFullPalette.size();
  uint32_t a = arc4random() % n;
  uint64_t k = contactID >= 1 ? static_cast<uint64_t>(contactID) : arc4random();
  uint32_t i = a + static_cast<uint32_t>(k % n);
  while (i >= n) i = 2 * (arc4random() % n);
  return TalvoCBColorWithHexaCode(palette[i], 1.0);
}

UIColorPtr TalvoCBUtils::getMonogramRandomColor(long contactID) {
  return getMonogramRandomColor(contactID,
                                NSBundle::mainBundle().bundleIdentifier() == "com.apple.facetime");
}

UIImagePtr TalvoCBUtils::monogramImage(const OptionalString& text, CGSize size,
                                       const UIColorPtr& color, const UIFontPtr& font) {
  if (!text || text->empty()) return getMonogramImage(0);
  if (!isMonogramEnabled()) return defaultImage();
  UIGraphicsBeginImageContextWithOptions(size, false, 0);
  CGContextRef context = UIGraphicsGetCurrentContext();
  CGContextSaveGState(context);
  CGContextSetFillColorWithColor(context, color ? color->CGColor() : nullptr);
  CGRect bounds = CGRectMake(0, 0, size.width, size.height);
  if (isRoundedPicsEnabled()) {
    CGContextFillEllipseInRect(context, bounds);
  } else {
    CGContextFillRect(context, bounds);
  }
  static const CGColor kWhite{1, 1, 1, 1};
  CGContextSetFillColorWithColor(context, &kWhite);
  CGFloat p = font ? font->pointSize() : 0;
  auto [inkTop, inkBottom] = drawInitials(
      initialsToDraw(*text), CGRectMake(0, (size.height - (p + 4)) * 0.5, size.width, p + 4), font);
  CGContextRestoreGState(context);
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  if (image) image->setSource("monogram " + initialsToDraw(*text) + " " + hexOf(color));
  // Corners of 5 points cannot change a disc, nor letters that keep out of the corners' rows:
  // the picture would be redrawn pixel for pixel the same, so that pass is skipped.
  constexpr CGFloat kCorner = 5.0;
  if (image && isRoundedPicsEnabled() && std::min(size.width, size.height) >= 2 * kCorner &&
      inkTop >= kCorner && inkBottom <= size.height - kCorner) {
    return image;
  }
  return imageWithRoundedCornersRadius(image, kCorner);
}

UIImagePtr TalvoCBUtils::monogramImage(const OptionalString& text, long contactID, CGSize size,
                                       const UIColorPtr& color, const UIFontPtr& font) {
  if (auto cached = getContactImageInCacheForKey(keyFor(contactID))) return cached;
  auto image = monogramImage(text, size, color, font);
  if (contactID > 0 && image) setContactImage(image, keyFor(contactID));
  return image;
}

UIImagePtr TalvoCBUtils::monogramImage(const OptionalString& text, long contactID, CGSize size,
                                       const UIColorPtr& color) {
  return monogramImage(text, contactID, size, color, UIFont::systemFontOfSize(17));
}

UIImagePtr TalvoCBUtils::monogramImage(const OptionalString& text, long contactID, CGSize size) {
  return monogramImage(text, contactID, size, getMonogramRandomColor(contactID));
}

UIImagePtr TalvoCBUtils::monogramImage(const OptionalString& text, long contactID) {
  return monogramImage(text, contactID, CGSizeMake(40, 40));
}

UIImagePtr TalvoCBUtils::monogramImage(const OptionalString& text, CGSize size) {
  return monogramImage(text, 0, size);
}

UIImagePtr TalvoCBUtils::monogramImage(const OptionalString& text) {
  return monogramImage(text, 0);
}

UIImagePtr TalvoCBUtils::monogramImage(const OptionalString& text, long contactID, CGSize size,
                                       const UIFontPtr& font) {
  return monogramImage(text, contactID, size, getMonogramRandomColor(contactID, true), font);
}

UIImagePtr TalvoCBUtils::monogramImage(const OptionalString& text, CGSize size,
                                       const UIFontPtr& font) {
  return monogramImage(text, 0, size, font);
}

UIImagePtr TalvoCBUtils::getMonogramImage(long contactID, const UIImagePtr& source, CGSize size,
                                          const UIColorPtr& color) {
  if (!isMonogramEnabled()) return source;
  if (auto cached = getContactImageInCacheForKey(keyFor(contactID))) return cached;
  if (!source) {
    TALCB_ERROR("+[TalvoCBUtils getMonogramImage:source:size:color:]", "Source image is nil.");
    return nullptr;
  }
  // Only the pictures of no contact are kept here; a contact's own is kept by the cache.
  std::optional<ComposedKey> kept = contactID > 0 ? std::nullopt : composedKey(source, size, color);
  if (kept) {
    if (auto image = composedBefore(*kept)) return image;
  }
  auto view = make<UIImageView>(CGRectMake(0, 0, size.width, size.height));
  view->setBackgroundColor(color);
  view->setImage(source);
  if (isRoundedPicsEnabled()) {
    view->layer()->setCornerRadius(size.width * 0.5);
    view->layer()->setMasksToBounds(true);
  } else {
    view->layer()->setCornerRadius(5.0);
  }
  UIGraphicsBeginImageContextWithOptions(source->size(), false, 0);
  view->layer()->renderInContext(UIGraphicsGetCurrentContext());
  auto image = UIGraphicsGetImageFromCurrentImageContext();
  UIGraphicsEndImageContext();
  UIImageSetDerivedSource(image, source, "on " + hexOf(color));
  if (contactID > 0 && image) setContactImage(image, keyFor(contactID));
  if (kept && image) keepComposed(std::move(*kept), image);
  return image;
}

UIImagePtr TalvoCBUtils::getMonogramImage(long contactID, const UIColorPtr& color) {
  if (auto cached = getContactImageInCacheForKey(keyFor(contactID))) return cached;
  auto source = imageFromContentOfFile(
      bundlePicturePath(isRoundedPicsEnabled() ? "user_monogram_round" : "user_monogram"));
  return getMonogramImage(contactID, source, source ? source->size() : CGSize{}, color);
}

UIImagePtr TalvoCBUtils::unknownCallerMonogram(int64_t startTime) {
  auto key = make<NSString>("call started at " + std::to_string(startTime));
  if (auto cached = getContactImageInCacheForKey(key)) return cached;
  // Drawn for no contact (0 is cached under nothing), in the colour the start time picks.
  auto image = getMonogramImage(0, getMonogramRandomColor(static_cast<long>(startTime)));
  if (image && isMonogramEnabled()) setContactImage(image, key);
  return image;
}

UIImagePtr TalvoCBUtils::getMonogramImage(long contactID) {
  if (auto cached = getContactImageInCacheForKey(keyFor(contactID))) return cached;
  return getMonogramImage(contactID, getMonogramRandomColor(contactID));
}

UIImagePtr TalvoCBUtils::getMonogramImage() {
  return getMonogramImage(0);
}

UIImagePtr TalvoCBUtils::getMonogramImageFromName(const OptionalString& name, long contactID) {
  if (auto cached = getContactImageInCacheForKey(keyFor(contactID))) return cached;
  return monogramImage(monogramTextFromName(name), contactID);
}

UIImagePtr TalvoCBUtils::getMonogramImageFromName(const OptionalString& name) {
  return getMonogramImageFromName(name, 0);
}

UIImagePtr TalvoCBUtils::getMonogramImageFromName(const OptionalString& name,
                                                  const OptionalString& email) {
  id key = email ? NSString::stringWithUTF8String(*email) : nullptr;
  if (key) {
    if (auto cached = getContactImageInCacheForKey(key)) return cached;
  }
  auto image = monogramImage(monogramTextFromName(name), 0);
  if (key && image) setContactImage(image, key);
  return image;
}

UIImagePtr TalvoCBUtils::defaultImage() {
  if (isMonogramEnabled()) return getMonogramImage();
  return getImage(bundlePicturePath("recent"));
}

void TalvoCBForgetComposedMonograms() {
  std::lock_guard guard(composedLock);
  composed.clear();
}
