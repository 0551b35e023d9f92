// The filter box and the sortable columns of the main window's site list.
#include <gdk/gdkkeysyms.h>

#include "app/accessible_names.h"
#include "app/main_window.h"
#include "catalogue/site_record.h"
#include "util/cp932.h"

namespace morvane {

void TForm1::ConnectFilter() {
  edFilter.set_placeholder_text("サイトを検索");
  SetAccessibleName(edFilter, edFilter.get_placeholder_text());
  edFilter.signal_changed().connect(sigc::mem_fun(*this, &TForm1::edFilterChange));
  // Escape in the box clears it.
  edFilter.signal_key_press_event().connect(
      [this](GdkEventKey* event) {
        if (event->keyval != GDK_KEY_Escape) return false;
        edFilter.set_text("");
        return true;
      },
      false);
  lvSiteList.signal_header_clicked().connect(sigc::mem_fun(*this, &TForm1::lvSiteListColumnClick));
  // Ctrl+F reaches the box from anywhere in the window, the page included.
  signal_key_press_event().connect(
      [this](GdkEventKey* event) {
        if ((event->state & GDK_CONTROL_MASK) == 0 || (event->keyval != GDK_KEY_f && event->keyval != GDK_KEY_F))
          return false;
        edFilter.grab_focus();
        return true;
      },
      false);
}

void TForm1::edFilterChange() {
  catalogue_.SetShownFilter(SiteFilter::FromUtf8(edFilter.get_text().raw()));
  ReshowKeepingSelection();
  ShowShownCount();
}

void TForm1::lvSiteListColumnClick(int column) {
  // "No" numbers the rows as shown: it brings back the list's own order.
  const bool again = column == catalogue_.ShownOrderColumn();
  const bool descending = column > 0 && again && !catalogue_.ShownOrderDescending();
  catalogue_.SetShownOrder(column, descending);
  lvSiteList.ShowSortIndicator(column, descending);
  ReshowKeepingSelection();
}

void TForm1::ReshowKeepingSelection() { ReshowSelecting(SelectedSiteURL()); }

std::string TForm1::SelectedSiteURL() const {
  const std::string* selected = catalogue_.ShownList().Find(lvSiteList.SelectedRow());
  return selected ? std::string(SiteURLOfLine(*selected)) : std::string();
}

void TForm1::ReshowSelecting(const std::string& url) {
  const ShownSites& shown = catalogue_.ShownList();
  catalogue_.ShowSelectedEntry();
  int found = -1;
  if (!url.empty())
    for (long long i = 0; i < shown.Count() && found < 0; ++i)
      if (SiteURLOfLine(shown.Get(i)) == url) found = static_cast<int>(i);
  lvSiteList.SelectRow(found);
}

}  // namespace morvane
