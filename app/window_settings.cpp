#include "app/window_settings.h"

#include <algorithm>

#include "browser/core/service_address.h"

namespace morvane {
namespace {

constexpr std::string_view kDataFileNameKey = "SiteDataFileName";

}  // namespace

WindowSettings::WindowSettings(std::string path, bool readOnly, Gtk::Window& mainWindow)
    : file_(std::move(path)), readOnly_(readOnly), mainWindow_(mainWindow, "Form1") {}

void WindowSettings::Load(Gtk::Paned& categoryWidth, Gtk::Paned& listHeight, int smallestPane,
                          Gtk::Window& siteDialog) {
  siteDialog_ = std::make_unique<WindowPlacement>(siteDialog, "Form2");
  ComponentStocker& stocker = file_.Stocker();
  stocker.DefineIntProperty(
      "ftSiteCategory", "width", [&categoryWidth] { return categoryWidth.get_position(); },
      [&categoryWidth, smallestPane](int v) { categoryWidth.set_position(std::max(v, smallestPane)); });
  stocker.DefineIntProperty(
      "lvSiteList", "height", [&listHeight] { return listHeight.get_position(); },
      [&listHeight, smallestPane](int v) { listHeight.set_position(std::max(v, smallestPane)); });
  file_.StockComponent("ftSiteCategory", "width");
  file_.StockComponent("lvSiteList", "height");
  file_.LoadSettings();
  file_.LoadFormPos(mainWindow_, false);
  file_.LoadFormPos(*siteDialog_, true);
}

std::string WindowSettings::DataFileName() const { return file_.ReadString(kDataFileNameKey); }

std::string WindowSettings::ServiceURL() const { return file_.ReadString(kServiceURLKey); }

void WindowSettings::SetServiceURL(std::string_view cp932) { file_.WriteString(kServiceURLKey, cp932); }

void WindowSettings::Save() {
  if (!readOnly_) file_.SaveSettings();
}

void WindowSettings::SaveForClose(std::string_view dataFileName) {
  file_.SaveFormPos(mainWindow_);
  if (siteDialog_) file_.SaveFormPos(*siteDialog_);
  file_.WriteString(kDataFileNameKey, dataFileName);
  Save();
}

}  // namespace morvane
