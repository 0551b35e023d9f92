// Any CSV file reads without a crash, every site it gives is one clean line,
// and sites written out and read again come back as they were.
#include "catalogue/site_csv.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const morvane::CsvSites read = morvane::ParseSitesCsv(AsText(data, size));
  morvane::LineList sites;
  for (const std::string& line : read.sites) {
    const morvane::ParsedSiteLine parsed = morvane::ParseSiteLine(line);
    const morvane::SiteRecord& r = parsed.record;
    FUZZ_CHECK(!r.SiteName.empty() && !r.SiteURL.empty() && parsed.leftover.empty());
    FUZZ_CHECK(line.find_first_of(std::string_view("\r\n\0", 3)) == std::string::npos);
    FUZZ_CHECK(morvane::FormatSiteLine(r) == line);
    sites.Add(line);
  }
  for (const morvane::CsvRowProblem& p : read.problems) FUZZ_CHECK(p.line >= 1);
  // Written as UTF-8, so what had no Unicode form may change: check the
  // second round trip, which must be exact.
  morvane::CsvSites once = morvane::ParseSitesCsv(morvane::SitesToCsv(sites, true));
  FUZZ_CHECK(once.problems.empty());
  morvane::LineList again;
  for (std::string& line : once.sites) again.Add(line);
  const morvane::CsvSites twice = morvane::ParseSitesCsv(morvane::SitesToCsv(again, true));
  FUZZ_CHECK(twice.sites == once.sites);
  return 0;
}
