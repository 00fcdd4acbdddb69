#include "SimPage.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <sstream>
#include <vector>

#include "foundation/PropertyList.h"

namespace simulator {

namespace {
std::string escape(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string scenePage(const std::string& scene) {
  return "scene-" + scene + ".html";
}

constexpr const char* kStyle = R"(<style>
body { font: 14px/1.4 system-ui, sans-serif; margin: 24px; color: #222; background: #f4f4f6; }
h2 { margin-top: 40px; border-bottom: 1px solid #ccc; }
nav a { margin-right: 8px; white-space: nowrap; }
.scenes { display: flex; flex-wrap: wrap; gap: 20px; align-items: flex-start; }
.scene { background: #e6e6eb; padding: 10px; border-radius: 8px; }
.scene h3 { margin: 0 0 6px; font-size: 15px; }
.scene h3 a { font-weight: normal; font-size: 12px; margin-left: 6px; }
.shots { display: flex; gap: 12px; align-items: flex-start; }
figure { margin: 0; background: #fff; padding: 8px; border-radius: 6px; box-shadow: 0 1px 3px #0002; }
figure[data-addon="off"] { background: #fafafa; }
.frame { position: relative; display: block; }
.frame img { display: block; }
.change { position: absolute; outline: 2px solid #f0a; outline-offset: 1px; pointer-events: none; }
.hide-changes .change { display: none; }
figcaption { font-size: 12px; color: #444; margin-top: 6px; }
figcaption b { color: #000; }
figure.differs { outline: 3px solid #d00; }
.difference, .failure { color: #b00; font-weight: 600; }
.note { color: #555; font-style: italic; }
#broken { color: #b00; font-weight: 600; }
</style>)";

// Marks every picture as loaded or not as it loads (thumbnails load lazily, when scrolled near),
// names the broken ones, and lets the reader hide the marks of what the add-on changed.
constexpr const char* kScript = R"(<p id="broken" hidden></p>
<script>
(function () {
  var broken = [];
  function settle(picture, loaded) {
    picture.dataset.loaded = loaded ? 'yes' : 'no';
    if (loaded) return;
    broken.push(picture.getAttribute('src'));
    var note = document.getElementById('broken');
    note.textContent = broken.length + ' pictures did not load: ' + broken.join(', ');
    note.hidden = false;
  }
  Array.prototype.forEach.call(document.images, function (picture) {
    if (picture.complete) {
      settle(picture, picture.naturalWidth > 0);
      return;
    }
    picture.addEventListener('load', function () { settle(picture, true); });
    picture.addEventListener('error', function () { settle(picture, false); });
  });
  var toggle = document.getElementById('changes');
  if (toggle) {
    toggle.addEventListener('change', function () {
      document.body.classList.toggle('hide-changes', !toggle.checked);
    });
  }
})();
</script>
</body>
</html>
)";

void writeHead(std::ostream& page, const std::string& title) {
  page << "<!doctype html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>"
       << escape(title) << "</title>\n"
       << kStyle << "\n</head>\n<body>\n";
}

// What the pages show, counted once for the header of each.
struct Counts {
  std::size_t screens = 0, offScreens = 0, failed = 0, differing = 0, skipped = 0;
  std::vector<std::string> scenes;  // in playing order
};

bool isOff(const std::string& name) {
  return name.size() > 4 && name.compare(name.size() - 4, 4, "-off") == 0;
}

Counts count(const std::vector<ShownProfile>& profiles) {
  Counts counts;
  std::set<std::string> seen;
  for (const ShownProfile& profile : profiles) {
    for (const ShownScene& scene : profile.scenes) {
      if (seen.insert(scene.name).second) counts.scenes.push_back(scene.name);
      counts.failed += scene.failures.size();
      counts.skipped += scene.shots.empty() && !scene.notes.empty();
      for (const ShownShot& shot : scene.shots) {
        ++counts.screens;
        counts.offScreens += isOff(shot.shot.name);
        counts.differing += !shot.difference.empty();
      }
    }
  }
  return counts;
}

void writeHeader(std::ostream& page, const std::vector<ShownProfile>& profiles,
                 const Counts& counts, const PageSummary& summary) {
  char played[64];
  std::snprintf(played, sizeof played, "%.1f", summary.seconds);
  page << "<p id=\"counts\">" << counts.screens << " screens (" << counts.offScreens
       << " of them with the add-on off) of " << counts.scenes.size() << " scenes on "
       << profiles.size() << " phones, played in " << played << " s";
  if (counts.failed) page << "; <span class=\"failure\">" << counts.failed << " failed</span>";
  if (counts.skipped) {
    page << "; " << counts.skipped << " not played where the phone has nobody to play them";
  }
  page << ".";
  if (summary.checked) {
    page << " Checked against the reference screens in " << escape(summary.checkedAgainst) << ": "
         << counts.differing << " differ, outlined in red.";
  }
  page << " Each screen is a real host process with the add-on's module loaded; click a screen "
          "for its full size. Pink boxes mark where a screen differs from its twin with the "
          "add-on off. <label><input type=\"checkbox\" id=\"changes\" checked> mark the "
          "changes</label></p>\n<nav><b>Scenes, every phone side by side:</b>";
  for (const std::string& scene : counts.scenes) {
    page << " <a href=\"" << escape(scenePage(scene)) << "\">" << escape(scene) << "</a>";
  }
  page << "</nav>\n<nav><b>Phones, every scene:</b>";
  for (const ShownProfile& shown : profiles) {
    page << " <a href=\"index.html#" << escape(shown.profile.name) << "\">"
         << escape(shown.profile.name) << "</a>";
  }
  page << "</nav>\n";
}

// The shots of a scene with each one's twin with the add-on off right after it.
std::vector<const ShownShot*> pairedShots(const ShownScene& scene) {
  std::vector<const ShownShot*> ordered;
  for (const ShownShot& shot : scene.shots) {
    if (isOff(shot.shot.name)) continue;
    ordered.push_back(&shot);
    for (const ShownShot& off : scene.shots) {
      if (off.shot.name == shot.shot.name + "-off") ordered.push_back(&off);
    }
  }
  for (const ShownShot& shot : scene.shots) {
    if (std::find(ordered.begin(), ordered.end(), &shot) == ordered.end()) ordered.push_back(&shot);
  }
  return ordered;
}

void writeShot(std::ostream& page, const SimProfile& profile, const ShownShot& shown) {
  const SimShot& shot = shown.shot;
  std::string base = "screens/" + profile.name + "/" + shot.name;
  double width = profile.width * kThumbnailPerPoint, height = profile.height * kThumbnailPerPoint;
  page << "<figure" << (isOff(shot.name) ? " data-addon=\"off\"" : "")
       << (shown.difference.empty() ? "" : " class=\"differs\"") << " style=\"width: " << width
       << "px\">\n<a class=\"frame\" href=\"" << escape(base) << ".png\"><img src=\""
       << escape(base) << (shown.hasThumbnail ? ".thumb.jpg" : ".png")
       << "\" loading=\"lazy\" width=\"" << width << "\" height=\"" << height << "\" alt=\""
       << escape(shot.name) << "\">";
  for (const ScreenRegion& region : shown.changes) {
    page << "<span class=\"change\" style=\"left: " << region.x * 100
         << "%; top: " << region.y * 100 << "%; width: " << region.width * 100
         << "%; height: " << region.height * 100 << "%\"></span>";
  }
  page << "</a>\n<figcaption><b>" << escape(shot.name) << "</b><br>" << escape(shot.caption)
       << "<br>Switches: " << escape(shot.switches) << "<br>" << escape(shot.host) << " on "
       << escape(describeProfile(profile)) << "<br><a href=\"" << escape(base)
       << ".json\">view tree</a>";
  if (!shown.changes.empty()) {
    page << " · " << shown.changes.size() << (shown.changes.size() == 1 ? " change" : " changes")
         << " from its twin";
  }
  if (!shown.difference.empty()) {
    page << "<br><span class=\"difference\">Differs: " << escape(shown.difference) << "</span>";
    if (shown.hasDiffImage) page << " <a href=\"" << escape(base) << ".diff.png\">diff</a>";
  }
  page << "</figcaption>\n</figure>\n";
}

void writeSceneBox(std::ostream& page, const SimProfile& profile, const ShownScene& scene,
                   const std::string& id, const std::string& title, const std::string& link) {
  page << "<div class=\"scene\" id=\"" << escape(id) << "\">\n<h3>" << title << link << "</h3>\n";
  for (const std::string& failure : scene.failures) {
    page << "<p class=\"failure\">" << escape(failure) << "</p>\n";
  }
  for (const std::string& note : scene.notes) {
    page << "<p class=\"note\">Not played: " << escape(note) << "</p>\n";
  }
  page << "<div class=\"shots\">\n";
  for (const ShownShot* shot : pairedShots(scene)) writeShot(page, profile, *shot);
  page << "</div>\n</div>\n";
}

bool nonEmptyFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(path, error) &&
         std::filesystem::file_size(path, error) > 0 && !error;
}

void writeProfile(std::ostream& page, const std::string& out, const ShownProfile& shown) {
  const SimProfile& profile = shown.profile;
  page << "<section class=\"phone\" id=\"" << escape(profile.name) << "\">\n<h2>"
       << escape(profile.name) << ": " << escape(describeProfile(profile)) << "</h2>\n<p>";
  std::string log = "device/" + profile.name + "/tmp/quorvik.log";
  if (nonEmptyFile(out + "/" + log)) {
    page << "<a href=\"" << escape(log) << "\">The add-on's log file</a> ";
  }
  std::string errors = "logs/" + profile.name + ".log";
  if (nonEmptyFile(out + "/" + errors)) {
    page << "<a href=\"" << escape(errors) << "\">What the hosts wrote to standard error</a> ";
  }
  if (shown.hasMailedMessage) {
    page << "<a href=\"screens/" << escape(profile.name)
         << "/mail-log.eml\">The mailed log, as it lies in the outbox</a>";
  }
  page << "</p>\n";
  if (!shown.deviceFailure.empty()) {
    page << "<p class=\"failure\">" << escape(shown.deviceFailure) << "</p>\n";
  }
  page << "<div class=\"scenes\">\n";
  for (const ShownScene& scene : shown.scenes) {
    writeSceneBox(page, profile, scene, profile.name + "-" + scene.name, escape(scene.name),
                  "<a href=\"" + escape(scenePage(scene.name)) + "#" + escape(profile.name) +
                      "\">on every phone</a>");
  }
  page << "</div>\n</section>\n";
}

// Whole or not at all, as the pictures.
bool writeFile(const std::string& path, const std::string& text, std::string* error) {
  std::string reason;
  if (!writeRealFile(path, std::vector<uint8_t>(text.begin(), text.end()), true, &reason)) {
    *error = path + ": " + reason;
    return false;
  }
  return true;
}

bool writeScenePage(const std::string& out, const std::vector<ShownProfile>& profiles,
                    const Counts& counts, const PageSummary& summary, std::size_t index,
                    std::string* error) {
  const std::string& name = counts.scenes[index];
  std::ostringstream page;
  writeHead(page, name + " on every phone");
  page << "<h1>" << escape(name) << " on every phone</h1>\n<nav><a href=\"index.html\">Every "
       << "phone, one after another</a>";
  if (index > 0) {
    page << " <a href=\"" << escape(scenePage(counts.scenes[index - 1]))
         << "\" rel=\"prev\">&larr; " << escape(counts.scenes[index - 1]) << "</a>";
  }
  if (index + 1 < counts.scenes.size()) {
    page << " <a href=\"" << escape(scenePage(counts.scenes[index + 1])) << "\" rel=\"next\">"
         << escape(counts.scenes[index + 1]) << " &rarr;</a>";
  }
  page << "</nav>\n";
  writeHeader(page, profiles, counts, summary);
  page << "<div class=\"scenes\">\n";
  for (const ShownProfile& shown : profiles) {
    for (const ShownScene& scene : shown.scenes) {
      if (scene.name != name) continue;
      writeSceneBox(page, shown.profile, scene, shown.profile.name,
                    escape(shown.profile.name) + ": " + escape(describeProfile(shown.profile)),
                    "<a href=\"index.html#" + escape(shown.profile.name + "-" + name) +
                        "\">every scene of this phone</a>");
    }
  }
  page << "</div>\n" << kScript;
  return writeFile(out + "/" + scenePage(name), page.str(), error);
}
}  // namespace

bool writeIndexPage(const std::string& out, const std::vector<ShownProfile>& profiles,
                    const PageSummary& summary, std::string* error) {
  Counts counts = count(profiles);
  std::ostringstream page;
  writeHead(page, "TalvoCB on the simulated phones");
  page << "<h1>TalvoCB on the simulated phones</h1>\n";
  writeHeader(page, profiles, counts, summary);
  for (const ShownProfile& shown : profiles) writeProfile(page, out, shown);
  page << kScript;
  if (!writeFile(out + "/index.html", page.str(), error)) return false;
  for (std::size_t index = 0; index < counts.scenes.size(); ++index) {
    if (!writeScenePage(out, profiles, counts, summary, index, error)) return false;
  }
  return true;
}

}  // namespace simulator
