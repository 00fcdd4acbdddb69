#include "screens/ViewTreeDump.h"

#include "foundation/JSONText.h"
#include "uikit/UIButton.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"
#include "uikit/UILabel.h"
#include "uikit/UISwitch.h"

namespace standin {
namespace {

std::optional<std::string> sourceOf(const std::shared_ptr<UIImage>& image) {
  if (!image) return std::nullopt;
  std::string source = image->source();
  return source.empty() ? "picture" : source;
}

ViewRecord describe(const std::shared_ptr<UIView>& view, CGPoint origin) {
  ViewRecord r;
  r.className = object_getClassName(view);
  CGRect f = view->frame();
  r.frame = CGRectMake(origin.x + f.origin.x, origin.y + f.origin.y, f.size.width, f.size.height);
  r.hidden = view->isHidden();
  r.alpha = view->alpha();
  r.tag = view->tag();
  if (auto label = cast<UILabel>(view)) {
    r.hasText = true;
    r.text = label->text();
    r.shown = label->shownText();
    if (auto drawn = label->textFrame()) {
      r.textFrame =
          CGRectMake(r.frame.origin.x + drawn->origin.x, r.frame.origin.y + drawn->origin.y,
                     drawn->size.width, drawn->size.height);
    }
    if (auto font = label->font()) {
      r.fontFamily = font->familyName();
      r.fontSize = font->pointSize();
      r.fontBold = font->isBold();
    }
  } else if (auto said = view->accessibilityLabel()) {
    // A view that draws its own text (a list row's name) shows what it says.
    r.hasText = true;
    r.text = said;
  } else if (auto imageView = cast<UIImageView>(view)) {
    r.hasImage = true;
    r.image = sourceOf(imageView->image());
  } else if (auto button = cast<UIButton>(view)) {
    r.hasText = button->title().has_value();
    r.text = button->title();
    r.hasImage = button->image() != nullptr;
    r.image = sourceOf(button->image());
  } else if (auto toggle = cast<UISwitch>(view)) {
    r.on = toggle->isOn();
  }
  for (const auto& sub : view->subviews()) r.subviews.push_back(describe(sub, r.frame.origin));
  return r;
}

std::string optionalText(const std::optional<std::string>& text) {
  return text ? JSONQuoted(*text) : "null";
}

void write(const ViewRecord& r, int depth, std::string& out) {
  std::string pad(static_cast<std::size_t>(depth) * 2, ' ');
  std::string in = pad + "  ";
  out += "{\n";
  out += in + "\"class\": " + JSONQuoted(r.className) + ",\n";
  out += in + "\"frame\": [" + JSONNumber(r.frame.origin.x) + ", " + JSONNumber(r.frame.origin.y) +
         ", " + JSONNumber(r.frame.size.width) + ", " + JSONNumber(r.frame.size.height) + "],\n";
  out += in + "\"hidden\": " + (r.hidden ? "true" : "false") + ",\n";
  out += in + "\"alpha\": " + JSONNumber(r.alpha) + ",\n";
  out += in + "\"tag\": " + JSONNumber(static_cast<double>(r.tag)) + ",\n";
  if (r.hasText) out += in + "\"text\": " + optionalText(r.text) + ",\n";
  if (r.shown) out += in + "\"shown\": " + JSONQuoted(*r.shown) + ",\n";
  if (r.textFrame) {
    const CGRect& t = *r.textFrame;
    out += in + "\"textFrame\": [" + JSONNumber(t.origin.x) + ", " + JSONNumber(t.origin.y) + ", " +
           JSONNumber(t.size.width) + ", " + JSONNumber(t.size.height) + "],\n";
  }
  if (r.fontFamily) {
    out += in + "\"font\": {\"family\": " + JSONQuoted(*r.fontFamily) +
           ", \"size\": " + JSONNumber(r.fontSize) +
           ", \"bold\": " + (r.fontBold ? "true" : "false") + "},\n";
  }
  if (r.hasImage) out += in + "\"image\": " + optionalText(r.image) + ",\n";
  if (r.on) out += in + "\"on\": " + (*r.on ? "true" : "false") + ",\n";
  out += in + "\"subviews\": [";
  for (std::size_t i = 0; i < r.subviews.size(); ++i) {
    out += i ? ", " : "";
    write(r.subviews[i], depth + 1, out);
  }
  out += "]\n" + pad + "}";
}

}  // namespace

ViewRecord describeViewTree(const std::shared_ptr<UIView>& root) {
  if (!root) return {};
  return describe(root, {});
}

std::string viewTreeJSON(const ViewRecord& root) {
  std::string out;
  write(root, 0, out);
  return out + "\n";
}

}  // namespace standin
