#pragma once
// The site dialog: adds a new site or edits the selected one.
#include <gtkmm/button.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/dialog.h>
#include <gtkmm/entry.h>
#include <gtkmm/grid.h>
#include <gtkmm/label.h>
#include <gtkmm/liststore.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "catalogue/catalogue_events.h"
#include "catalogue/category_tree.h"
#include "catalogue/site_record.h"

namespace morvane {

// What the dialog reads from the embedded browser (CP932 texts).
struct BrowserValues {
  std::function<std::string()> locationURL;
  std::function<std::string()> htmlSource;
};

class TForm2 : public Gtk::Dialog {
 public:
  TForm2();

  void SetBrowser(BrowserValues browser) { browser_ = std::move(browser); }
  // One category per line of the category list text. The box takes them
  // when the dialog is next filled or shown (at once while it is shown):
  // thousands of choices cost the box a good part of a second, which a start
  // or an import need not wait for.
  void SetCategoryItems(std::string_view categoryListText);
  void FillCategoryChoices();
  // The choices are the tree's categories from now on, following each change.
  void FollowCategories(const CategoryTree& tree, const CatalogueEvents& events);

  void ResetForNewSite();
  void FillFrom(const SiteRecord& rec);
  // Shows the dialog modally; true when it closed with OK.
  bool ShowModal();

  void BitBtn1Click();
  void edSiteURLDblClick();
  void SpeedButton1Click();

  SiteRecord SiteRec;

  Gtk::Entry edSiteName;
  Gtk::Entry edSiteURL;
  Gtk::ComboBoxText cbCategory;
  Gtk::Entry edAccessURL;
  Gtk::Entry edLoginID;
  Gtk::Entry edLoginPass;
  Gtk::Button BitBtn1;
  Gtk::Button BitBtn2;
  Gtk::Entry edRegistDate;
  Gtk::Button SpeedButton1;

 private:
  std::string BrowserURL() const;
  // Fills a box with a CP932 text, and reads it back: as it was filled when
  // it still shows that, converted from what is shown when it was edited.
  void SetText(Gtk::Entry& e, std::string_view cp932);
  std::string Text(const Gtk::Entry& e, bool address) const;

  struct Filled {
    std::string cp932, utf8;
  };
  std::map<const Gtk::Entry*, Filled> filled_;
  std::vector<std::string> categoryItems_;  // CP932, in the box's order
  bool choicesStale_ = false;
  // The box's own two columns: the text shown and an id.
  struct ChoiceColumns : Gtk::TreeModelColumnRecord {
    ChoiceColumns() { add(text), add(id); }
    Gtk::TreeModelColumn<Glib::ustring> text, id;
  } choiceColumns_;
  AnnouncementConnection treeChanged_;
  BrowserValues browser_;
  Gtk::Grid grid_;
  Gtk::Label lbSiteName_, lbSiteURL_, lbCategory_, lbAccessURL_, lbLoginID_, lbLoginPass_, lbRegistDate_;
};

}  // namespace morvane
