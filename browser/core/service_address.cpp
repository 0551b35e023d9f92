#include "browser/core/service_address.h"

#include "util/glib_ptr.h"
#include "util/text_routines.h"

namespace morvane {

std::string ServiceURLInForce(std::string_view commandLine, std::string_view stored) {
  for (std::string_view candidate : {commandLine, stored}) {
    std::string trimmed = TrimSpaces(candidate);
    if (!trimmed.empty()) return trimmed;
  }
  return std::string(kBuiltInServiceURL);
}

std::string ManagementPageURL(std::string_view serviceURL) {
  std::string address = TrimSpaces(serviceURL);
  if (address.find("://") == std::string::npos) address = "http://" + address;
  const std::optional<AddressParts> parts = ParseAddressParts(address);
  if (!parts) return {};
  const GCharPtr page(g_uri_join(G_URI_FLAGS_ENCODED, parts->scheme.c_str(), nullptr, parts->host.c_str(), parts->port,
                                 "/admin2/", nullptr, nullptr));
  return page.get();
}

}  // namespace morvane
