#include "SimPage.h"

#include <filesystem>
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

constexpr const char* kHead = R"(<!doctype html>
<html lang="en">
<head>
<meta charset="utf-8">
<title>TalvoCB on the simulated phones</title>
<style>
body { font: 14px/1.4 system-ui, sans-serif; margin: 24px; color: #222; background: #f4f4f6; }
h2 { margin-top: 40px; border-bottom: 1px solid #ccc; }
.scenes { display: flex; flex-wrap: wrap; gap: 20px; align-items: flex-start; }
.scene { background: #e6e6eb; padding: 10px; border-radius: 8px; }
.scene h3 { margin: 0 0 6px; font-size: 15px; }
.shots { display: flex; gap: 12px; align-items: flex-start; }
figure { margin: 0; background: #fff; padding: 8px; border-radius: 6px; box-shadow: 0 1px 3px #0002; }
figure img { display: block; height: auto; }
figcaption { font-size: 12px; color: #444; margin-top: 6px; }
figcaption b { color: #000; }
figure.differs { outline: 3px solid #d00; }
.difference, .failure { color: #b00; font-weight: 600; }
#broken { color: #b00; font-weight: 600; }
</style>
</head>
<body>
<h1>TalvoCB on the simulated phones</h1>
)";

// Marks every picture as loaded or not once the page has loaded, and names the broken ones.
constexpr const char* kTail = R"(<p id="broken" hidden></p>
<script>
window.addEventListener('load', function () {
  var pictures = Array.prototype.slice.call(document.images);
  var broken = [];
  pictures.forEach(function (picture) {
    var loaded = picture.complete && picture.naturalWidth > 0;
    picture.dataset.loaded = loaded ? 'yes' : 'no';
    if (!loaded) broken.push(picture.getAttribute('src'));
  });
  document.body.dataset.pictures = (pictures.length - broken.length) + ' of ' + pictures.length;
  if (broken.length) {
    var note = document.getElementById('broken');
    note.textContent = broken.length + ' pictures did not load: ' + broken.join(', ');
    note.hidden = false;
  }
});
</script>
</body>
</html>
)";

void writeShot(std::ostream& page, const SimProfile& profile, const ShownShot& shown) {
  const SimShot& shot = shown.shot;
  std::string base = "screens/" + profile.name + "/" + shot.name;
  page << "<figure" << (shown.difference.empty() ? "" : " class=\"differs\"")
       << " style=\"width: " << profile.width * 0.6 << "px\">\n"
       << "<a href=\"" << escape(base) << ".png\"><img src=\"" << escape(base) << ".png\" width=\""
       << profile.width * 0.6 << "\" alt=\"" << escape(shot.name) << "\"></a>\n<figcaption><b>"
       << escape(shot.name) << "</b><br>" << escape(shot.caption)
       << "<br>Switches: " << escape(shot.switches) << "<br>" << escape(shot.host) << " on "
       << escape(describeProfile(profile)) << "<br><a href=\"" << escape(base)
       << ".json\">view tree</a>";
  if (!shown.difference.empty()) {
    page << "<br><span class=\"difference\">Differs: " << escape(shown.difference) << "</span>";
    if (shown.hasDiffImage) page << " <a href=\"" << escape(base) << ".diff.png\">diff</a>";
  }
  page << "</figcaption>\n</figure>\n";
}

void writeProfile(std::ostream& page, const std::string& out, const ShownProfile& shown) {
  const SimProfile& profile = shown.profile;
  page << "<section id=\"" << escape(profile.name) << "\">\n<h2>" << escape(profile.name) << ": "
       << escape(describeProfile(profile)) << "</h2>\n<p>";
  std::string log = "device/" + profile.name + "/tmp/quorvik.log";
  std::error_code error;
  if (std::filesystem::exists(out + "/" + log, error)) {
    page << "<a href=\"" << escape(log) << "\">The add-on's log file</a> ";
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
    page << "<div class=\"scene\" id=\"" << escape(profile.name + "-" + scene.name) << "\">\n<h3>"
         << escape(scene.name) << "</h3>\n";
    for (const std::string& failure : scene.failures) {
      page << "<p class=\"failure\">" << escape(failure) << "</p>\n";
    }
    page << "<div class=\"shots\">\n";
    for (const ShownShot& shot : scene.shots) writeShot(page, profile, shot);
    page << "</div>\n</div>\n";
  }
  page << "</div>\n</section>\n";
}
}  // namespace

bool writeIndexPage(const std::string& out, const std::vector<ShownProfile>& profiles,
                    const PageSummary& summary, std::string* error) {
  std::string path = out + "/index.html";
  std::ostringstream page;
  page << kHead << "<p>" << escape(summary.headline) << ".";
  if (summary.checked) {
    page << " Checked against the reference screens in " << escape(summary.checkedAgainst)
         << "; differing screens are outlined in red.";
  }
  page << " Each screen is a real host process with the add-on's module loaded; click a screen "
          "for its full size.</p>\n<p>Phones:";
  for (const ShownProfile& shown : profiles) {
    page << " <a href=\"#" << escape(shown.profile.name) << "\">" << escape(shown.profile.name)
         << "</a>";
  }
  page << "</p>\n";
  for (const ShownProfile& shown : profiles) writeProfile(page, out, shown);
  page << kTail;
  // Whole or not at all, as the pictures.
  std::string text = page.str();
  std::string reason;
  if (!writeRealFile(path, std::vector<uint8_t>(text.begin(), text.end()), true, &reason)) {
    *error = path + ": " + reason;
    return false;
  }
  return true;
}

}  // namespace simulator
