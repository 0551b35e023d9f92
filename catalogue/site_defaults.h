#pragma once
// Values the site dialog proposes for a new site.
#include <ctime>
#include <string>
#include <string_view>

namespace morvane {

// The site name the analysis service shows in square brackets on a site's
// page, after its parts menu and its heading; empty when the page has none.
std::string DefaultSiteName(std::string_view htmlSource);

// "yyyy/mm/dd hh:mm:ss" of a local time.
std::string RegistDateText(const std::tm& local);
std::string RegistDateNow();

}  // namespace morvane
