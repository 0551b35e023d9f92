#pragma once
// The strip over the browser while it shows a site health report: the
// report saved as CSV or as the page it is, and a button that puts the
// strip away.
#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>

#include "health/health_report.h"

namespace morvane {

class HealthReportBar : public Gtk::Box {
 public:
  HealthReportBar();

  // Shows the strip for this report, replacing an earlier one.
  void Show(HealthReport report);

  Gtk::Label lbHealthReport;
  Gtk::Button btHealthCsv, btHealthHtml, btHealthClose;

 private:
  void btHealthCsvClick();
  void btHealthHtmlClick();

  HealthReport report_;
};

}  // namespace morvane
