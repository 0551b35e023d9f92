#include "browser/core/service_address.h"

#include <glib.h>

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
  GUri* uri = g_uri_parse(address.c_str(), G_URI_FLAGS_ENCODED, nullptr);
  if (!uri) return {};
  std::string page;
  const char* host = g_uri_get_host(uri);
  if (host && *host) {
    gchar* origin = g_uri_join(G_URI_FLAGS_ENCODED, g_uri_get_scheme(uri), nullptr, host, g_uri_get_port(uri),
                               "/admin2/", nullptr, nullptr);
    page = origin;
    g_free(origin);
  }
  g_uri_unref(uri);
  return page;
}

}  // namespace morvane
