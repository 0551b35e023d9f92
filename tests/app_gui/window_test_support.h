#pragma once
// The main window in a private data folder, with every box and form
// answered by script.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/forms.h"
#include "app/modal_runner.h"
#include "files/file_test_support.h"
#include "support/fake_dialogs.h"
#include "util/cp932.h"

namespace morvane::testing {

// UTF-8 literal as the CP932 bytes the program uses.
inline std::string J(std::string_view utf8) { return Utf8ToCp932(utf8); }

// Answers the program's own forms (site dialog, settings dialog) in order:
// each step works the form as a user would; the form's response is what
// RunModal gives back. An unscripted form is closed by its frame.
class ScriptedForms {
 public:
  using Step = std::function<void(Gtk::Dialog&)>;
  ScriptedForms() {
    InstallModalScript([this](Gtk::Dialog& d) {
      ++shown;
      int response = Gtk::RESPONSE_DELETE_EVENT;
      auto conn = d.signal_response().connect([&response](int r) { response = r; });
      if (!steps.empty()) {
        Step step = std::move(steps.front());
        steps.pop_front();
        step(d);
      }
      conn.disconnect();
      return response;
    });
  }
  ~ScriptedForms() { InstallModalScript({}); }
  std::deque<Step> steps;
  int shown = 0;
};

inline void Pump() {
  for (int i = 0; i < 1000 && g_main_context_pending(nullptr); ++i) g_main_context_iteration(nullptr, FALSE);
}

// Pumps until done() holds, at most timeoutMs; gives done().
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 3000) {
  const gint64 end = g_get_monotonic_time() + timeoutMs * 1000LL;
  while (!done() && g_get_monotonic_time() < end) {
    Pump();
    g_usleep(2000);
  }
  return done();
}

// Lets the X server and the frame clock catch up.
inline void PumpFor(int milliseconds) {
  PumpUntil([] { return false; }, milliseconds);
}

class WindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CloseForms();
    // The web engine's helper processes may still be filling its profile
    // folder: clear it until it stays gone, so the folder can be removed.
    std::error_code ignored;
    for (int quiet = 0, round = 0; quiet < 5 && round < 200; ++round) {
      quiet = std::filesystem::exists(folder / "browser") ? 0 : quiet + 1;
      std::filesystem::remove_all(folder / "browser", ignored);
      PumpFor(20);
    }
  }

  // Creates the forms in their order and sets the window up, as the program does.
  void OpenForms(bool show = true) {
    MainWindowOptions options;
    options.paths = DataPathsFor(folder.Path(), "morvane");
    options.serviceUrl = serviceUrl;
    forms = std::make_unique<MorvaneForms>(options);
    if (show) {
      forms->Form1.show();
      PumpUntil([this] { return forms->Form1.get_mapped(); });
      PumpFor(50);
    }
  }
  void CloseForms() {
    forms.reset();
    Pump();
  }
  // The close button: true when the window closed (and is gone).
  bool CloseByButton() {
    if (!forms->Form1.FormCloseQuery()) return false;
    CloseForms();
    return true;
  }

  TForm1& W() { return forms->Form1; }
  TForm2& SiteDialog() { return forms->Form2; }
  TForm3& SettingsDialog() { return forms->Form3; }

  // Tree entries in pre-order, as the tree control shows them (UTF-8).
  std::vector<std::string> TreeNames() { return W().ftSiteCategory.Names(); }
  void SelectCategory(std::string_view utf8Name) {
    TreeEntry* e = W().Catalogue().Tree().FindByName(J(utf8Name));
    ASSERT_NE(e, nullptr) << utf8Name;
    W().ftSiteCategory.Click(e);
    Pump();
  }
  std::string SelectedCategory() {
    const TreeEntry* e = W().Catalogue().Tree().Selected();
    return e ? Cp932ToUtf8(e->name) : std::string();
  }
  // The list's cell texts (UTF-8) of one column, row by row.
  std::vector<std::string> Column(int column) {
    std::vector<std::string> cells;
    for (int r = 0; r < W().lvSiteList.Model().RowCount(); ++r)
      cells.push_back(W().lvSiteList.Model().Cell(r, column).raw());
    return cells;
  }
  void AddCategory(std::string_view utf8Name) {
    dialogs.inputAnswers.push_back(std::string(utf8Name));
    W().tbAddCategoryClick();
  }
  // A site through the site dialog, as typed.
  void AddSite(std::string_view name, std::string_view url, std::string_view category = "") {
    forms_.steps.push_back([=, this](Gtk::Dialog&) {
      SiteDialog().edSiteName.set_text(Glib::ustring(std::string(name)));
      SiteDialog().edSiteURL.set_text(Glib::ustring(std::string(url)));
      SiteDialog().edAccessURL.set_text("http://a.example/" + std::string(url));
      ChooseCategory(category);
      SiteDialog().BitBtn1Click();
    });
    W().tbAddSiteClick();
  }
  // The site dialog's category choices (UTF-8); picks the one named, or none.
  std::vector<std::string> CategoryChoices() {
    SiteDialog().FillCategoryChoices();
    std::vector<std::string> items;
    for (const auto& row : SiteDialog().cbCategory.get_model()->children()) {
      Glib::ustring item;
      row.get_value(0, item);
      items.push_back(item.raw());
    }
    return items;
  }
  void ChooseCategory(std::string_view utf8Name) {
    const auto items = CategoryChoices();
    const auto found = std::find(items.begin(), items.end(), utf8Name);
    SiteDialog().cbCategory.set_active(found == items.end() ? -1 : static_cast<int>(found - items.begin()));
  }

  std::string serviceUrl = "http://127.0.0.1:1";  // empty: none given for the run
  TempDir folder;
  FakeDialogs dialogs;
  ScriptedForms forms_;
  std::unique_ptr<MorvaneForms> forms;
};

}  // namespace morvane::testing
