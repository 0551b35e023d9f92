#pragma once
// The catalogue's sites as the health check takes them: copies in UTF-8,
// read straight from their lines; nothing of the catalogue is changed.
#include <string_view>
#include <vector>

#include "health/health_history.h"
#include "health/site_health.h"
#include "util/line_list.h"

namespace morvane {

// Every site of the tree entry (CP932 name), whatever a filter hides.
std::vector<HealthSite> HealthSitesOfEntry(const LineList& siteList, std::string_view entryName);
// The key of every site of the catalogue, for the history's keep rule.
std::vector<HealthSiteKey> CatalogueSiteKeys(const LineList& siteList);

}  // namespace morvane
