// The main window's side of changes made to the data file from outside: the
// looks before each write and on the folder's notices, and the window shown
// again after a merge.
#include "app/main_window.h"
#include "app/outside_change_watch.h"
#include "app/settings_dialog.h"
#include "app/site_dialog.h"

#include <glib.h>

namespace morvane {

// A box of ours waits for an answer (its own loop runs this one's events,
// and the handler that opened it may hold tree entries a merge would replace),
// or a form is open.
bool TForm1::DialogOpen() const {
  return g_main_depth() > 1 || (Form2_ && Form2_->get_visible()) || (Form3_ && Form3_->get_visible());
}

void TForm1::WatchOutsideChanges(SiteDataLoadStatus loaded) {
  OutsideChangeWatch::Hooks hooks;
  hooks.mayLookNow = [this] {
    if (DialogOpen() || autosave_->Writing()) return false;
    selectedBeforeLook_ = SelectedSiteURL();
    return true;
  };
  hooks.merged = [this](const OutsideChangeReport& report) { AfterOutsideChange(report); };
  outsideWatch_ = std::make_unique<OutsideChangeWatch>(catalogue_, std::move(hooks));
  outsideWatch_->Loaded(loaded);
  autosave_->SetBeforeWrite([this] {
    // An open dialog is not disturbed: a save that needs a merge waits for it.
    if (DialogOpen()) return outsideWatch_->BeforeAutosave(OutsideLook::OnlyIfUnchanged);
    selectedBeforeLook_ = SelectedSiteURL();
    return outsideWatch_->BeforeAutosave(OutsideLook::Merge);
  });
  autosave_->SetAfterWrite(outsideWatch_->WrittenElsewhere());
}

bool TForm1::SaveForClose(bool attended) {
  if (outsideWatch_) {
    selectedBeforeLook_ = SelectedSiteURL();
    if (!outsideWatch_->BeforeWrite(DataFileWrite::Close, attended).mayWrite) return false;
  }
  const bool saved = catalogue_.SaveSiteData();
  if (saved && outsideWatch_) outsideWatch_->Written();
  return saved;
}

void TForm1::AfterOutsideChange(const OutsideChangeReport& report) {
  // The catalogue announced the merge (the tree, the choices and the list
  // are shown again, and it is to be saved): the site selected before stays so.
  if (report.catalogueChanged) {
    ReshowSelecting(selectedBeforeLook_);
    ShowMasterLogin();
  }
  if (report.saved) autosave_->MarkSaved();
  if (report.kind == OutsideChangeKind::Merged) status_->ShowWindowText(MergeStatusText(report.counts));
}

}  // namespace morvane
