#include "health/health_report.h"

#include <gtest/gtest.h>

namespace morvane {
namespace {

constexpr std::int64_t kDay = 24LL * 60 * 60 * 1000;
constexpr std::int64_t kNow = 1'800'000'000'000;

HealthReportRow Row(std::string name, bool up, std::string title = "t") {
  HealthReportRow row;
  row.site = {std::move(name), "http://site.test/", ""};
  row.health.failure = up ? HealthFailure::None : HealthFailure::TimedOut;
  row.health.status = up ? 200 : 0;
  row.health.title = std::move(title);
  row.health.chain = {"http://site.test/"};
  row.history.push_back({kNow, up, row.health.status, HealthResultText(row.health), 100, std::nullopt});
  return row;
}

TEST(HealthReport, SaysSinceWhenASiteIsDown) {
  std::vector<HealthRecord> history = {{kNow - 9 * kDay, false, 0, "", 0, {}},
                                       {kNow - 5 * kDay, true, 200, "", 0, {}},
                                       {kNow - 3 * kDay - 10, false, 0, "", 0, {}},
                                       {kNow - kDay, false, 0, "", 0, {}}};
  EXPECT_EQ(DownSinceText(history, kNow), "停止中: 3日前から");
  history.back().up = true;
  EXPECT_EQ(DownSinceText(history, kNow), "");
  EXPECT_EQ(DownSinceText({{kNow - 60, false, 0, "", 0, {}}}, kNow), "停止中: 今日から");
  EXPECT_EQ(DownSinceText({}, kNow), "");
}

TEST(HealthReport, PutsFailingSitesFirstThenByNameAndTellsWhetherAllAreHealthy) {
  HealthReport report;
  report.checkedAt = kNow;
  report.rows = {Row("b", true), Row("c", false), Row("a", true), Row("d", false)};
  report.total = 4;
  report.Sort();
  std::string order;
  for (const auto& row : report.rows) order += row.site.name;
  EXPECT_EQ(order, "cdab");
  EXPECT_FALSE(report.AllHealthy());

  report.rows = {Row("a", true)};
  report.total = 1;
  EXPECT_TRUE(report.AllHealthy());
  report.rows[0].health.certificate = CertificateFacts{kNow / 1000 + 13 * 24 * 3600 + 60, "CA"};
  EXPECT_FALSE(report.AllHealthy());
  EXPECT_NE(HealthReportHTML(report).find("<td class=\"num warn\">13</td>"), std::string::npos);
  report.rows[0].health.certificate->expires += 24 * 3600;
  EXPECT_TRUE(report.AllHealthy());
  report.total = 2;  // a stopped check is not a healthy one
  EXPECT_FALSE(report.AllHealthy());
}

TEST(HealthReport, EscapesEveryTextOfAPageAndOfTheCatalogue) {
  HealthReport report;
  report.checkedAt = kNow;
  report.total = 1;
  HealthReportRow row = Row("<b>name</b>", false, "</td></tr><script>alert('x')</script><img src=x onerror=y>");
  row.health.failure = HealthFailure::Certificate;
  row.health.failureDetail = "<i>bad</i>";
  row.health.chain.push_back("http://evil.test/\"><script>");
  row.health.certificate = CertificateFacts{kNow / 1000, "CN=<svg onload=z>"};
  report.rows.push_back(row);
  const std::string html = HealthReportHTML(report);
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("<img"), std::string::npos);
  EXPECT_EQ(html.find("<b>"), std::string::npos);
  EXPECT_EQ(html.find("<i>"), std::string::npos);
  EXPECT_EQ(html.find("<svg onload"), std::string::npos);
  EXPECT_NE(html.find("&lt;/td&gt;&lt;/tr&gt;&lt;script&gt;alert(&#39;x&#39;)"), std::string::npos);
  EXPECT_NE(html.find("<svg xmlns="), std::string::npos);  // the strip itself
  // The page for the browser tab holds the same in ASCII only.
  const std::string ascii = AsciiOnlyHTML(html);
  EXPECT_TRUE(std::all_of(ascii.begin(), ascii.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
  EXPECT_NE(ascii.find("&#12469;&#12452;&#12488;"), std::string::npos);  // サイト
  EXPECT_EQ(AsciiOnlyHTML("a\xff"
                          "b"),
            "a&#xFFFD;b");
}

TEST(HealthReport, TheStripShowsTheLastThirtyChecks) {
  HealthReport report;
  report.checkedAt = kNow;
  report.total = 1;
  HealthReportRow row = Row("a", true);
  row.history.clear();
  for (int i = 0; i < 40; ++i) row.history.push_back({kNow - (40 - i) * kDay, i % 2 == 0, 200, "200", 3000, {}});
  report.rows.push_back(row);
  const std::string html = HealthReportHTML(report);
  std::size_t bars = 0;
  for (std::size_t at = 0; (at = html.find("<rect x=", at)) != std::string::npos; ++at) ++bars;
  EXPECT_EQ(bars, 30u);
  EXPECT_NE(html.find("fill=\"#d22\""), std::string::npos);
  EXPECT_NE(html.find("fill=\"#2e9d3a\""), std::string::npos);
}

TEST(HealthReport, CsvHasAByteOrderMarkAndGuardsFormulasAndTsvStaysOneLine) {
  HealthReport report;
  report.checkedAt = kNow;
  report.total = 1;
  report.rows.push_back(Row("=HYPERLINK(\"http://evil.test\")", true, "@SUM(A1)\r\n\x1b[2Jx\ty"));
  const std::string csv = HealthReportCSV(report);
  ASSERT_TRUE(csv.starts_with("\xEF\xBB\xBF"));
  EXPECT_NE(csv.find("\"'=HYPERLINK(\"\"http://evil.test\"\")\""), std::string::npos);
  EXPECT_NE(csv.find("\"'@SUM(A1)"), std::string::npos);
  const std::string tsv = HealthReportTSV(report);
  EXPECT_EQ(std::count(tsv.begin(), tsv.end(), '\n'), 2);
  EXPECT_EQ(tsv.find('\x1b'), std::string::npos);
  EXPECT_NE(tsv.find("@SUM(A1)\\r\\n\\x1B[2Jx\\ty"), std::string::npos);
}

}  // namespace
}  // namespace morvane
