// The pane's root page: the add-on's switches. It keeps its own copy of the settings file and
// puts each changed key into the file, in binary form, on every change; an unreadable file is
// left as it is and an alert says so. The per-feature rows show only while the add-on is on.
#pragma once

#include <memory>
#include <set>
#include <string>

#include "preferences/PSListController.h"

class TalvoCBSettingsController : public PSListController {
 public:
  static Class class_();

  std::shared_ptr<NSDictionary> settings() const { return settings_; }
  void setSettings(const std::shared_ptr<NSDictionary>& settings) { settings_ = settings; }

  // Takes the per-feature rows (index 2 to the third-last) out of the list; a list of fewer than
  // five rows has none and stays as it is.
  static void hideOtherSpecifiers(std::vector<id>& rows);

 protected:
  friend struct objc_alloc;
  friend struct TalvoCBSettingsControllerRuntime;
  explicit TalvoCBSettingsController(Class cls) : PSListController(cls) {}

 private:
  std::shared_ptr<NSDictionary> settings_;
  // Keys changed on the page and not yet in the file.
  std::set<std::string> unsavedKeys_;
};
