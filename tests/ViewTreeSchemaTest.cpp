// Every view tree the simulator writes, and every kept reference tree, against the schema of
// docs/view-tree.md: the members and their types, window points, the vocabulary of pictures,
// and the status bar in front.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <sstream>

#include "Subprocess.h"

namespace fs = std::filesystem;

namespace {

// Just enough JSON: a value is an object, an array, a string, a number, a literal or null.
struct Json {
  enum Kind { Null, Bool, Number, String, Array, Object } kind = Null;
  double number = 0;
  std::string text;
  std::vector<Json> items;
  std::vector<std::pair<std::string, Json>> members;
  const Json* member(const std::string& name) const {
    for (const auto& [key, value] : members) {
      if (key == name) return &value;
    }
    return nullptr;
  }
};

class Parser {
 public:
  explicit Parser(std::string text) : s_(std::move(text)) {}
  Json parse() {
    Json value = next();
    skip();
    if (i_ != s_.size()) throw std::runtime_error("trailing bytes");
    return value;
  }

 private:
  void skip() {
    while (i_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[i_]))) ++i_;
  }
  char peek() {
    skip();
    if (i_ >= s_.size()) throw std::runtime_error("unexpected end");
    return s_[i_];
  }
  void expect(char c) {
    if (peek() != c) throw std::runtime_error(std::string("expected ") + c);
    ++i_;
  }
  std::string string() {
    expect('"');
    std::string out;
    while (i_ < s_.size() && s_[i_] != '"') {
      if (s_[i_] == '\\') ++i_;
      out += s_[i_++];
    }
    expect('"');
    return out;
  }
  Json next() {
    Json v;
    char c = peek();
    if (c == '{') {
      v.kind = Json::Object;
      ++i_;
      while (peek() != '}') {
        std::string key = string();
        expect(':');
        v.members.emplace_back(key, next());
        if (peek() == ',') ++i_;
      }
      ++i_;
    } else if (c == '[') {
      v.kind = Json::Array;
      ++i_;
      while (peek() != ']') {
        v.items.push_back(next());
        if (peek() == ',') ++i_;
      }
      ++i_;
    } else if (c == '"') {
      v.kind = Json::String;
      v.text = string();
    } else if (s_.compare(i_, 4, "null") == 0) {
      i_ += 4;
    } else if (s_.compare(i_, 4, "true") == 0 || s_.compare(i_, 5, "false") == 0) {
      v.kind = Json::Bool;
      v.number = s_[i_] == 't';
      i_ += s_[i_] == 't' ? 4 : 5;
    } else {
      v.kind = Json::Number;
      std::size_t used = 0;
      v.number = std::stod(s_.substr(i_, 32), &used);
      i_ += used;
    }
    return v;
  }
  std::string s_;
  std::size_t i_ = 0;
};

const std::regex kPictureSource(
    "(photo of contact [0-9]+|photo|monogram .{1,8} #[0-9A-F]{6}|bundle picture [A-Za-z_]+|"
    "picture file .+|host .+|callbar .+|sample .+|picture)(, .+)?");

// Each fault as "FILE: class: what".
void check(const Json& view, const std::string& where, std::vector<std::string>& faults) {
  auto fault = [&](const std::string& what) { faults.push_back(where + ": " + what); };
  std::map<std::string, Json::Kind> kinds = {{"class", Json::String},   {"frame", Json::Array},
                                             {"hidden", Json::Bool},    {"alpha", Json::Number},
                                             {"tag", Json::Number},     {"shown", Json::String},
                                             {"font", Json::Object},    {"on", Json::Bool},
                                             {"subviews", Json::Array}, {"textFrame", Json::Array}};
  for (const auto& [key, value] : view.members) {
    if (key == "text" || key == "image") {
      if (value.kind != Json::String && value.kind != Json::Null) fault(key + " is no string");
      continue;
    }
    auto kind = kinds.find(key);
    if (kind == kinds.end())
      fault("unknown member " + key);
    else if (kind->second != value.kind)
      fault(key + " has the wrong type");
  }
  for (const char* required : {"class", "frame", "hidden", "alpha", "tag", "subviews"}) {
    if (!view.member(required)) return fault(std::string("no ") + required);
  }
  std::string name = view.member("class")->text;
  const Json& frame = *view.member("frame");
  if (frame.items.size() != 4 || frame.items[2].number < 0 || frame.items[3].number < 0) {
    fault(name + ": frame is not x, y, width, height");
  }
  if (const Json* drawn = view.member("textFrame")) {
    const Json* text = view.member("text");
    if (drawn->items.size() != 4 || drawn->items[2].number < 0 || drawn->items[3].number < 0) {
      fault(name + ": textFrame is not x, y, width, height");
    } else if (!text || text->kind != Json::String || text->text.empty()) {
      fault(name + ": textFrame without text");
    } else if (frame.items.size() == 4 && drawn->items[2].number <= frame.items[2].number + 0.5 &&
               (drawn->items[0].number < frame.items[0].number - 0.5 ||
                drawn->items[0].number + drawn->items[2].number >
                    frame.items[0].number + frame.items[2].number + 0.5)) {
      fault(name + ": text that fits its label drawn outside it");
    }
  }
  if (const Json* image = view.member("image"); image && image->kind == Json::String) {
    if (!std::regex_match(image->text, kPictureSource)) fault(name + ": image " + image->text);
  }
  if (const Json* font = view.member("font")) {
    const Json* family = font->member("family");
    const Json* size = font->member("size");
    if (!family || family->text.empty() || !size || !(size->number > 0)) {
      fault(name + ": font without family or size");
    }
  }
  const Json* text = view.member("text");
  if (view.member("shown") && (!text || text->kind != Json::String)) {
    fault(name + ": shown without text");
  }
  for (const Json& sub : view.member("subviews")->items) check(sub, where, faults);
}

std::vector<std::string> faultsOf(const fs::path& file, const Json& tree) {
  std::vector<std::string> faults;
  check(tree, file.string(), faults);
  return faults;
}

Json read(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return Parser(text.str()).parse();
}

}  // namespace

TEST(ViewTreeSchemaTest, EveryWrittenTreeFollowsTheSchema) {
  std::string pattern = (fs::temp_directory_path() / "talvocb-schema-XXXXXX").string();
  std::string out = ::mkdtemp(pattern.data());
  ProcessResult run =
      runProgram({"talvocb", "sim", "--out", out, "--profile", "ios7-iphone4s", "--profile",
                  "ios9-rtl", "--scene", "recents", "--scene", "contacts", "--scene", "pane"});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  std::vector<fs::path> trees;
  for (const fs::path& root :
       {fs::path(out) / "screens", fs::path(TALVOCB_SOURCE_DIR) / "tests" / "sim-references"}) {
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      if (entry.path().extension() == ".json") trees.push_back(entry.path());
    }
  }
  ASSERT_GE(trees.size(), 12u);
  for (const fs::path& file : trees) {
    Json tree = read(file);
    for (const std::string& fault : faultsOf(file, tree)) ADD_FAILURE() << fault;
    // The status bar lies over everything, across the top.
    const auto& top = tree.member("subviews")->items;
    ASSERT_FALSE(top.empty()) << file;
    EXPECT_EQ(top.back().member("class")->text, "UIStatusBar") << file;
    EXPECT_EQ(top.back().member("frame")->items[3].number, 20) << file;
  }

  // The members list of version 7 says each row's name; a name cut short says what it shows.
  std::string contacts = [&] {
    std::ifstream in(out + "/screens/ios7-iphone4s/contacts.json");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }();
  EXPECT_NE(contacts.find("\"text\": \"John Appleseed\""), std::string::npos);
  std::ifstream recents(out + "/screens/ios7-iphone4s/recents.json");
  std::stringstream text;
  text << recents.rdbuf();
  EXPECT_TRUE(std::regex_search(text.str(),
                                std::regex("\"shown\": \"unknown\\.caller@[^\"]*\xE2\x80\xA6\"")));
  fs::remove_all(out);
}
