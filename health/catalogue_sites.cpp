#include "health/catalogue_sites.h"

#include "catalogue/site_record.h"
#include "util/cp932.h"

namespace morvane {
namespace {

HealthSite HealthSiteOf(const SiteRecord& record) {
  return {Cp932ToUtf8(record.SiteName), Cp932ToUtf8(record.SiteURL), Cp932ToUtf8(record.AccessURL)};
}

}  // namespace

std::vector<HealthSite> HealthSitesOfEntry(const LineList& siteList, std::string_view entryName) {
  LineList shown;
  BuildShownList(siteList, shown, entryName);
  std::vector<HealthSite> sites;
  sites.reserve(static_cast<std::size_t>(shown.Count()));
  for (const std::string& line : shown.Lines()) sites.push_back(HealthSiteOf(SiteFromLine(line)));
  return sites;
}

std::vector<HealthSiteKey> CatalogueSiteKeys(const LineList& siteList) {
  std::vector<HealthSiteKey> keys;
  keys.reserve(static_cast<std::size_t>(siteList.Count()));
  for (const std::string& line : siteList.Lines()) {
    const SiteRecord record = SiteFromLine(line);
    keys.push_back({Cp932ToUtf8(record.SiteURL), Cp932ToUtf8(record.SiteName)});
  }
  return keys;
}

}  // namespace morvane
