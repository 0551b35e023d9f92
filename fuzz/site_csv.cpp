// Any CSV file reads without a crash, every site it gives is one clean line,
// and sites written out and read again come back as they were.
#include "catalogue/site_csv.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const morvane::CsvSites read = morvane::ParseSitesCsv(AsText(data, size));
  morvane::LineList sites;
  for (const morvane::SiteRecord& r : read.sites) {
    FUZZ_CHECK(!r.SiteName.empty() && !r.SiteURL.empty());
    for (const std::string* f : {&r.SiteName, &r.SiteURL, &r.Category, &r.AccessURL, &r.LoginID})
      FUZZ_CHECK(f->find_first_of("\t\r\n") == std::string::npos);
    sites.Add(morvane::FormatSiteLine(r));
  }
  for (const morvane::CsvRowProblem& p : read.problems) FUZZ_CHECK(p.line >= 1);
  // Written as UTF-8, so what had no Unicode form may change: check the
  // second round trip, which must be exact.
  const morvane::CsvSites once = morvane::ParseSitesCsv(morvane::SitesToCsv(sites, true));
  FUZZ_CHECK(once.problems.empty());
  morvane::LineList again;
  for (const morvane::SiteRecord& r : once.sites) again.Add(morvane::FormatSiteLine(r));
  const morvane::CsvSites twice = morvane::ParseSitesCsv(morvane::SitesToCsv(again, true));
  FUZZ_CHECK(twice.sites == once.sites);
  return 0;
}
