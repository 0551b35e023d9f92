#include "app/health_report_bar.h"

#include "util/safe_file_writer.h"
#include "util/user_dialogs.h"

namespace morvane {

HealthReportBar::HealthReportBar()
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6),
      lbHealthReport("サイトの状態の報告"),
      btHealthCsv("CSVで保存"),
      btHealthHtml("HTMLで保存"),
      btHealthClose("閉じる") {
  set_border_width(2);
  lbHealthReport.set_halign(Gtk::ALIGN_START);
  pack_start(lbHealthReport, Gtk::PACK_EXPAND_WIDGET);
  pack_start(btHealthCsv, Gtk::PACK_SHRINK);
  pack_start(btHealthHtml, Gtk::PACK_SHRINK);
  pack_start(btHealthClose, Gtk::PACK_SHRINK);
  btHealthCsv.signal_clicked().connect(sigc::mem_fun(*this, &HealthReportBar::btHealthCsvClick));
  btHealthHtml.signal_clicked().connect(sigc::mem_fun(*this, &HealthReportBar::btHealthHtmlClick));
  btHealthClose.signal_clicked().connect([this] { hide(); });
  set_no_show_all(true);
}

void HealthReportBar::Show(HealthReport report) {
  report_ = std::move(report);
  for (Gtk::Widget* w :
       std::initializer_list<Gtk::Widget*>{&lbHealthReport, &btHealthCsv, &btHealthHtml, &btHealthClose})
    w->show();
  show();
}

void HealthReportBar::btHealthCsvClick() {
  const FileFilter filter{"CSVファイル(*.csv)", "*.csv"};
  if (const auto path = Dialogs().SaveFile("サイトの状態の保存", &filter, 1, "csv"))
    ShowErrorUnless("ファイルを保存できませんでした",
                    WriteFileReplacing(*path, HealthReportCSV(report_), kSharedFileMode));
}

void HealthReportBar::btHealthHtmlClick() {
  const FileFilter filter{"HTMLファイル(*.html)", "*.html"};
  if (const auto path = Dialogs().SaveFile("サイトの状態の保存", &filter, 1, "html"))
    ShowErrorUnless("ファイルを保存できませんでした",
                    WriteFileReplacing(*path, HealthReportHTML(report_), kSharedFileMode));
}

}  // namespace morvane
