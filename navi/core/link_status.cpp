#include "navi/core/link_status.h"

#include "web/scan_views.h"

namespace morvane {

bool IsCheckableLink(std::string_view url) {
  return scan::StartsWithNoCase(url, "http://") || scan::StartsWithNoCase(url, "https://");
}

}  // namespace morvane
