#pragma once
// The report of one site check with each site's history: as the page the
// browser tab shows and the user may save, as CSV for a spreadsheet and as
// tab-separated lines for a terminal. Every text from a page or the
// catalogue is escaped for where it goes.
#include <cstdint>
#include <string>
#include <vector>

#include "health/health_history.h"
#include "health/site_health.h"

namespace morvane {

struct HealthReportRow {
  HealthSite site;
  SiteHealth health;
  std::vector<HealthRecord> history;  // oldest first, this check the last
};

struct HealthReport {
  std::vector<HealthReportRow> rows;
  std::int64_t checkedAt = 0;  // ms since 1970
  std::size_t total = 0;       // sites asked for
  bool stopped = false;
  std::string historyError;  // why the history could not be kept, if so

  // Sites not up first, then by name.
  void Sort();
  // Every site up and no certificate with less than the warning days left.
  bool AllHealthy() const;
};

// "停止中: 3日前から" while the last checks failed, counted from the first
// failure of that run (an empty text while up).
std::string DownSinceText(const std::vector<HealthRecord>& history, std::int64_t now);

// The report as a UTF-8 HTML page.
std::string HealthReportHTML(const HealthReport& report);
// The same page with every character outside ASCII written as a numeric
// character reference, so it reads the same in any ASCII-based charset.
std::string AsciiOnlyHTML(std::string_view utf8);
// UTF-8 with a byte-order mark, the formula guard on every field.
std::string HealthReportCSV(const HealthReport& report);
// A header line and one line per site; fields escaped for a terminal.
std::string HealthReportTSV(const HealthReport& report);

}  // namespace morvane
