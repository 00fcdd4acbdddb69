// A view tree described view by view, for screen dumps: classes, frames in the root's points,
// visibility, and what labels, image views, buttons and switches show.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "uikit/UIView.h"

namespace standin {

// One view as a screen dump shows it.
struct ViewRecord {
  std::string className;  // the runtime class name
  CGRect frame;           // in the root's points
  bool hidden = false;
  CGFloat alpha = 1;
  long tag = 0;
  bool hasText = false;  // labels, and buttons with a title
  std::optional<std::string> text;
  std::optional<std::string> shown;       // labels whose text is cut: the text as drawn
  std::optional<CGRect> textFrame;        // labels with text: where it is drawn, in root points
  std::optional<std::string> fontFamily;  // labels: their font
  CGFloat fontSize = 0;
  bool fontBold = false;
  bool hasImage = false;             // image views, and buttons with a picture
  std::optional<std::string> image;  // the picture's source; "picture" when it has none
  std::optional<bool> on;            // switches
  std::vector<ViewRecord> subviews;
};
ViewRecord describeViewTree(const std::shared_ptr<UIView>& root);
// The records as JSON, indented by two spaces; docs/view-tree.md describes every member.
std::string viewTreeJSON(const ViewRecord& root);

}  // namespace standin
