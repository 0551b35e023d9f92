#include "navi/gtk/link_check_bar.h"

#include <glibmm/main.h>

#include <string>

#include "util/user_dialogs.h"

namespace morvane {

LinkCheckBar::LinkCheckBar(PageLinkCheck::ShowPage show, PageLinkCheck::WhichPage which)
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6),
      btLinkCheckStop("中止"),
      btLinkCheckCsv("CSV"),
      btLinkCheckShow("一覧を表示"),
      btLinkCheckClose("閉じる"),
      check_(*this, std::move(show), std::move(which)) {
  pbLinkCheck.set_show_text(true);
  pbLinkCheck.set_valign(Gtk::ALIGN_CENTER);
  pack_start(pbLinkCheck, Gtk::PACK_EXPAND_WIDGET);
  pack_start(btLinkCheckStop, Gtk::PACK_SHRINK);
  pack_start(btLinkCheckCsv, Gtk::PACK_SHRINK);
  pack_start(btLinkCheckShow, Gtk::PACK_SHRINK);
  pack_start(btLinkCheckClose, Gtk::PACK_SHRINK);
  // Read out apart from the toolbar's own stop button.
  btLinkCheckStop.get_accessible()->set_name("リンクの確認を中止");
  btLinkCheckClose.get_accessible()->set_name("リンクの確認を閉じる");
  btLinkCheckClose.set_tooltip_text("リンクの確認を終えて、この欄を閉じる");
  btLinkCheckClose.signal_clicked().connect([this] { btLinkCheckCloseClick(); });
  btLinkCheckStop.set_tooltip_text("リンクの確認を中止する");
  btLinkCheckCsv.set_tooltip_text("リンク一覧をCSVファイルに保存する");
  btLinkCheckShow.set_tooltip_text("確認したリンク一覧をブラウザに表示する");
  btLinkCheckStop.signal_clicked().connect([this] { check_.Stop(); });
  btLinkCheckCsv.signal_clicked().connect([this] { btLinkCheckCsvClick(); });
  btLinkCheckShow.signal_clicked().connect([this] { check_.ShowResult(); });
  arrived_.connect([this] { check_.Take(); });
  set_no_show_all(true);
}

LinkCheckBar::~LinkCheckBar() { clock_.disconnect(); }

void LinkCheckBar::btLinkCheckCloseClick() {
  check_.Stop();
  clock_.disconnect();
  hide();
}

void LinkCheckBar::Start(PageLinkList list) {
  show_all_children();
  btLinkCheckShow.hide();  // until a list waits for it
  show();
  check_.Start(std::move(list));
}

void LinkCheckBar::btLinkCheckCsvClick() {
  if (!check_.HasResult()) return;
  const FileFilter filter{"CSVファイル(*.csv)", "*.csv"};
  const std::optional<std::string> path = Dialogs().SaveFile("リンク一覧の保存", &filter, 1, "csv");
  if (path) ShowErrorUnless("ファイルを保存できませんでした", check_.SaveCsv(*path));
}

void LinkCheckBar::ShowLinkCheckProgress(std::size_t done, std::size_t total, bool running) {
  done_ = done, total_ = total, running_ = running;
  pbLinkCheck.set_fraction(total == 0 ? 1.0 : static_cast<double>(done) / static_cast<double>(total));
  btLinkCheckStop.set_sensitive(running);
  btLinkCheckCsv.set_sensitive(!running);
  if (running && !clock_.connected())
    clock_ = Glib::signal_timeout().connect_seconds(
        [this] {
          ShowProgressText();
          return running_;
        },
        1);
  ShowProgressText();
}

void LinkCheckBar::ShowProgressText() {
  std::string text = std::to_string(done_) + " / " + std::to_string(total_);
  if (running_) {
    if (const std::optional<std::chrono::seconds> left = check_.TimeLeft()) {
      const long long s = left->count();
      text += " （残り最大 " + std::to_string(s / 60) + "分" + std::to_string(s % 60) + "秒）";
    }
  } else if (done_ < total_) {
    text += check_.RanOutOfTime() ? " 時間切れで打ち切りました" : " 中止しました";
  } else {
    text += " 確認しました";
  }
  pbLinkCheck.set_text(text);
  // The bar's own text is not read out: its name says how far the check is.
  pbLinkCheck.get_accessible()->set_name("リンクの確認: " + text);
}

}  // namespace morvane
