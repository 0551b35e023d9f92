#include "util/glib_ptr.h"

namespace morvane {

std::optional<AddressParts> ParseAddressParts(std::string_view url) {
  const GUriPtr uri(g_uri_parse(std::string(url).c_str(), G_URI_FLAGS_ENCODED, nullptr));
  if (!uri) return std::nullopt;
  const char* host = g_uri_get_host(uri.get());
  if (!host || !*host) return std::nullopt;
  // In lower case whichever GLib reads it.
  const GCharPtr scheme(g_ascii_strdown(g_uri_get_scheme(uri.get()), -1));
  return AddressParts{scheme.get(), host, g_uri_get_port(uri.get())};
}

}  // namespace morvane
