#include "health/health_report.h"

#include <glib.h>

#include <algorithm>
#include <ctime>

#include "util/csv.h"
#include "util/terminal_text.h"

namespace morvane {
namespace {

constexpr std::int64_t kDayMs = 24LL * 60 * 60 * 1000;
constexpr std::size_t kStripLength = 30;

void AppendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out.push_back(c);
    }
  }
}

std::string Escaped(std::string_view text) {
  std::string out;
  AppendEscaped(out, text);
  return out;
}

std::string DateText(std::int64_t seconds, const char* format, bool local) {
  const std::time_t when = static_cast<std::time_t>(seconds);
  std::tm parts{};
  if (local) localtime_r(&when, &parts);
  else gmtime_r(&when, &parts);
  char buffer[64];
  return std::strftime(buffer, sizeof buffer, format, &parts) ? buffer : "";
}

std::string Milliseconds(const SiteHealth& h, std::chrono::milliseconds value) {
  return h.Answered() ? std::to_string(value.count()) : std::string();
}

struct CertificateCells {
  std::string expiry, daysLeft, issuer;
  bool warn = false;
};

CertificateCells CertificateOf(const SiteHealth& h, std::int64_t nowMs) {
  CertificateCells cells;
  if (!h.certificate) return cells;
  const long long days = CertificateDaysLeft(*h.certificate, nowMs / 1000);
  cells.expiry = DateText(h.certificate->expires, "%Y-%m-%d", false);
  cells.daysLeft = std::to_string(days);
  cells.issuer = h.certificate->issuer;
  cells.warn = days < kCertificateWarningDays;
  return cells;
}

std::string ChainText(const SiteHealth& h) {
  std::string text;
  for (std::size_t i = 1; i < h.chain.size(); ++i) text += (i > 1 ? " → " : "") + h.chain[i];
  return text;
}

// The last checks as bars: green when up, red when down, the height the
// whole answer's time (three seconds and more fill it).
void AppendStrip(std::string& out, const std::vector<HealthRecord>& history) {
  constexpr int kBar = 6, kHeight = 24;
  const std::size_t first = history.size() > kStripLength ? history.size() - kStripLength : 0;
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(kBar * kStripLength) + "\" height=\"" +
         std::to_string(kHeight) + "\" role=\"img\">";
  out += "<rect width=\"100%\" height=\"100%\" fill=\"#f2f2f2\"/>";
  const std::size_t shown = history.size() - first;
  for (std::size_t i = first; i < history.size(); ++i) {
    const HealthRecord& r = history[i];
    const int height = r.up ? std::clamp(static_cast<int>(r.totalMs * kHeight / 3000), 3, kHeight) : kHeight;
    const std::size_t slot = kStripLength - shown + (i - first);
    out += "<rect x=\"" + std::to_string(slot * kBar) + "\" y=\"" + std::to_string(kHeight - height) + "\" width=\"" +
           std::to_string(kBar - 1) + "\" height=\"" + std::to_string(height) + "\" fill=\"" +
           (r.up ? "#2e9d3a" : "#d22") + "\"><title>";
    AppendEscaped(out, DateText(r.checkedAt / 1000, "%Y-%m-%d %H:%M", true) + " " + r.result + " " +
                           std::to_string(r.totalMs) + " ms");
    out += "</title></rect>";
  }
  out += "</svg>";
}

}  // namespace

void HealthReport::Sort() {
  std::stable_sort(rows.begin(), rows.end(), [](const HealthReportRow& a, const HealthReportRow& b) {
    if (a.health.Up() != b.health.Up()) return !a.health.Up();
    return a.site.name < b.site.name;
  });
}

bool HealthReport::AllHealthy() const {
  if (rows.size() < total) return false;
  return std::all_of(rows.begin(), rows.end(), [this](const HealthReportRow& row) {
    return row.health.Up() && !CertificateOf(row.health, checkedAt).warn;
  });
}

std::string DownSinceText(const std::vector<HealthRecord>& history, std::int64_t now) {
  if (history.empty() || history.back().up) return {};
  std::size_t first = history.size() - 1;
  while (first > 0 && !history[first - 1].up) --first;
  const std::int64_t days = std::max<std::int64_t>(0, (now - history[first].checkedAt) / kDayMs);
  if (days == 0) return "停止中: 今日から";
  return "停止中: " + std::to_string(days) + "日前から";
}

std::string HealthReportHTML(const HealthReport& report) {
  std::string page =
      "<!DOCTYPE html><html lang=\"ja\"><head><meta charset=\"UTF-8\"><title>サイトの状態</title><style>"
      "body{font-family:sans-serif}table{border-collapse:collapse}th,td{border:1px solid #999;padding:4px 8px;"
      "vertical-align:top}td.num{text-align:right;white-space:nowrap}.down{color:#c00;font-weight:bold}"
      ".warn{color:#fff;background:#d22}.chain{font-size:smaller;color:#555}svg{display:block}"
      "</style></head><body><h1>サイトの状態</h1><p>";
  const auto down = std::count_if(report.rows.begin(), report.rows.end(),
                                  [](const HealthReportRow& row) { return !row.health.Up(); });
  page += DateText(report.checkedAt / 1000, "%Y-%m-%d %H:%M", true) + " " + std::to_string(report.rows.size()) + " / " +
          std::to_string(report.total) + " サイトを確認しました";
  if (down) page += "（停止中 " + std::to_string(down) + "）";
  if (report.stopped) page += "（中止しました）";
  page += "</p>";
  if (!report.historyError.empty()) page += "<p class=\"down\">" + Escaped(report.historyError) + "</p>";
  page += "<table><tr>";
  for (std::string_view head : {"サイト名", "結果", "状態", "最近の結果", "最初のバイト (ms)", "合計 (ms)",
                                "証明書の残り日数", "証明書の期限", "発行者", "タイトル", "解析タグ"})
    page += "<th>" + std::string(head) + "</th>";
  page += "</tr>";
  for (const HealthReportRow& row : report.rows) {
    const SiteHealth& h = row.health;
    const CertificateCells certificate = CertificateOf(h, report.checkedAt);
    page += "<tr><td>" + Escaped(row.site.name) + "<br><span class=\"chain\">" + Escaped(row.site.url) + "</span></td>";
    page += std::string("<td") + (h.Up() ? "" : " class=\"down\"") + ">" + Escaped(HealthResultText(h));
    if (const std::string chain = ChainText(h); !chain.empty())
      page += "<br><span class=\"chain\">→ " + Escaped(chain) + "</span>";
    page += "</td><td>" + Escaped(DownSinceText(row.history, report.checkedAt)) + "</td><td>";
    AppendStrip(page, row.history);
    page += "</td><td class=\"num\">" + Milliseconds(h, h.firstByte) + "</td><td class=\"num\">" +
            Milliseconds(h, h.total) + "</td>";
    page += std::string("<td class=\"num") + (certificate.warn ? " warn" : "") + "\">" + certificate.daysLeft +
            "</td><td class=\"num\">" + certificate.expiry + "</td><td>" + Escaped(certificate.issuer) + "</td>";
    page += "<td>" + Escaped(h.title) + "</td><td>" +
            (h.Answered() ? std::string(AnalysisTagText(h.tag)) : std::string()) + "</td></tr>";
  }
  page += "</table></body></html>";
  return page;
}

std::string AsciiOnlyHTML(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  const char* end = utf8.data() + utf8.size();
  for (const char* p = utf8.data(); p < end;) {
    const auto byte = static_cast<unsigned char>(*p);
    if (byte < 0x80) {
      out.push_back(*p++);
      continue;
    }
    const gunichar c = g_utf8_get_char_validated(p, end - p);
    if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
      out += "&#xFFFD;";
      ++p;
      continue;
    }
    out += "&#" + std::to_string(c) + ";";
    p = g_utf8_next_char(p);
  }
  return out;
}

namespace {

struct Fields {
  std::string result, since, firstByte, total, chain, redirects, tag;
  CertificateCells certificate;
};

Fields FieldsOf(const HealthReportRow& row, std::int64_t now) {
  const SiteHealth& h = row.health;
  Fields f;
  f.result = HealthResultText(h);
  f.since = DownSinceText(row.history, now);
  f.firstByte = Milliseconds(h, h.firstByte);
  f.total = Milliseconds(h, h.total);
  f.chain = h.chain.empty() ? row.site.url : h.chain.back();
  f.redirects = std::to_string(h.chain.empty() ? 0 : h.chain.size() - 1);
  f.tag = h.Answered() ? std::string(AnalysisTagText(h.tag)) : std::string();
  f.certificate = CertificateOf(h, now);
  return f;
}

}  // namespace

std::string HealthReportCSV(const HealthReport& report) {
  std::string out(kUtf8ByteOrderMark);
  AppendCsvRow(out, {"サイト名", "URL", "結果", "状態", "最終URL", "転送数", "最初のバイト(ms)", "合計(ms)",
                     "証明書の残り日数", "証明書の期限", "発行者", "タイトル", "解析タグ"});
  for (const HealthReportRow& row : report.rows) {
    const Fields f = FieldsOf(row, report.checkedAt);
    AppendCsvRow(out, {row.site.name, row.site.url, f.result, f.since, f.chain, f.redirects, f.firstByte, f.total,
                       f.certificate.daysLeft, f.certificate.expiry, f.certificate.issuer, row.health.title, f.tag});
  }
  return out;
}

std::string HealthReportTSV(const HealthReport& report) {
  std::string out =
      "name\turl\tresult\tdown since\tfinal url\tfirst byte ms\ttotal ms\tcertificate days\t"
      "certificate expiry\tissuer\ttitle\ttag\n";
  for (const HealthReportRow& row : report.rows) {
    const Fields f = FieldsOf(row, report.checkedAt);
    bool first = true;
    for (std::string_view field :
         {std::string_view(row.site.name), std::string_view(row.site.url), std::string_view(f.result),
          std::string_view(f.since), std::string_view(f.chain), std::string_view(f.firstByte),
          std::string_view(f.total), std::string_view(f.certificate.daysLeft), std::string_view(f.certificate.expiry),
          std::string_view(f.certificate.issuer), std::string_view(row.health.title), std::string_view(f.tag)}) {
      if (!first) out.push_back('\t');
      first = false;
      out += EscapeTsvField(field);
    }
    out.push_back('\n');
  }
  return out;
}

}  // namespace morvane
