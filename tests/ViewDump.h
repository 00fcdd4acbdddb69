// Reads a host's `dump` file back into views, for tests that look at what a screen shows.
#pragma once

#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

struct DumpedView {
  std::string className;
  std::vector<double> frame;
  long tag = 0;
  bool hidden = false;
  bool on = false;  // switches
  std::string text;
  std::string shown;              // a cut label's text as drawn
  std::vector<double> textFrame;  // labels with text: where the text is drawn
  std::string image;
  std::vector<DumpedView> subviews;

  // Every view below this one (not itself), depth first, that the test accepts.
  std::vector<const DumpedView*> find(const std::function<bool(const DumpedView&)>& test) const {
    std::vector<const DumpedView*> found;
    for (const DumpedView& view : subviews) {
      if (test(view)) found.push_back(&view);
      for (const DumpedView* deeper : view.find(test)) found.push_back(deeper);
    }
    return found;
  }
  std::vector<const DumpedView*> ofClass(const std::string& name) const {
    return find([&](const DumpedView& v) { return v.className == name; });
  }
};

// Enough JSON for the dump's own output: objects, arrays, strings, numbers and literals.
class DumpReader {
 public:
  explicit DumpReader(std::string text) : text_(std::move(text)) {}

  static DumpedView readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    DumpReader reader(s.str());
    return reader.view();
  }

 private:
  void space() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }
  bool next(char c) {
    space();
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  std::string string() {
    next('"');
    std::string out;
    while (at_ < text_.size() && text_[at_] != '"') {
      char c = text_[at_++];
      if (c == '\\' && at_ < text_.size()) {
        char e = text_[at_++];
        out += e == 'n' ? '\n' : e == 't' ? '\t' : e;
      } else {
        out += c;
      }
    }
    ++at_;
    return out;
  }
  // Numbers, literals and values the views do not keep.
  std::string scalar() {
    space();
    if (text_[at_] == '"') return string();
    if (text_[at_] == '[' || text_[at_] == '{') {
      skipNested();
      return "";
    }
    std::size_t start = at_;
    while (at_ < text_.size() && text_[at_] != ',' && text_[at_] != '}' && text_[at_] != ']') ++at_;
    return text_.substr(start, at_ - start);
  }
  void skipNested() {
    int depth = 0;
    do {
      char c = text_[at_];
      if (c == '"') {
        string();
        continue;
      }
      depth += c == '[' || c == '{' ? 1 : c == ']' || c == '}' ? -1 : 0;
      ++at_;
    } while (depth > 0 && at_ < text_.size());
  }
  DumpedView view() {
    DumpedView v;
    next('{');
    while (!next('}') && at_ < text_.size()) {
      std::string key = string();
      next(':');
      if (key == "subviews") {
        next('[');
        while (!next(']') && at_ < text_.size()) {
          v.subviews.push_back(view());
          next(',');
        }
      } else if (key == "frame" || key == "textFrame") {
        auto& numbers = key == "frame" ? v.frame : v.textFrame;
        next('[');
        while (!next(']') && at_ < text_.size()) {
          numbers.push_back(std::atof(scalar().c_str()));
          next(',');
        }
      } else {
        bool quoted = (space(), text_[at_] == '"');
        std::string value = scalar();
        if (!quoted && value == "null") value.clear();
        if (key == "class") v.className = value;
        if (key == "text") v.text = value;
        if (key == "shown") v.shown = value;
        if (key == "image") v.image = value;
        if (key == "tag") v.tag = std::atol(value.c_str());
        if (key == "hidden") v.hidden = value == "true";
        if (key == "on") v.on = value == "true";
      }
      next(',');
    }
    return v;
  }

  std::string text_;
  std::size_t at_ = 0;
};
