#include "browser/core/web_origin.h"

#include <glib.h>

namespace morvane {
namespace {

struct Origin {
  std::string scheme, host;
  int port = -1;
};

bool ParseOrigin(std::string_view url, Origin& origin) {
  GUri* uri = g_uri_parse(std::string(url).c_str(), G_URI_FLAGS_ENCODED, nullptr);
  if (!uri) return false;
  const char* host = g_uri_get_host(uri);
  gchar* scheme = g_ascii_strdown(g_uri_get_scheme(uri), -1);
  origin.scheme = scheme;
  g_free(scheme);
  if (host && *host && (origin.scheme == "http" || origin.scheme == "https")) {
    // The page spells an international name in its ASCII form.
    gchar* ascii = g_hostname_to_ascii(host);
    gchar* lower = ascii ? g_ascii_strdown(ascii, -1) : nullptr;
    if (lower) origin.host = lower;
    g_free(lower);
    g_free(ascii);
    if (origin.host.find(':') != std::string::npos) origin.host = "[" + origin.host + "]";
    origin.port = g_uri_get_port(uri);
    if (origin.port < 0) origin.port = origin.scheme == "https" ? 443 : 80;
  }
  g_uri_unref(uri);
  return !origin.host.empty();
}

}  // namespace

std::string OriginOf(std::string_view url) {
  Origin o;
  if (!ParseOrigin(url, o)) return {};
  return o.scheme + "://" + o.host + ":" + std::to_string(o.port);
}

std::string HostOf(std::string_view url) {
  Origin o;
  return ParseOrigin(url, o) ? o.host : std::string();
}

bool OnBlockedPort(std::string_view url) {
  // The ports web engines refuse, as the fetch rules list them.
  static constexpr int kBlocked[] = {1,    7,    9,    11,   13,   15,   17,   19,   20,   21,   22,   23,   25,
                                     37,   42,   43,   53,   69,   77,   79,   87,   95,   101,  102,  103,  104,
                                     109,  110,  111,  113,  115,  117,  119,  123,  135,  137,  139,  143,  161,
                                     179,  389,  427,  465,  512,  513,  514,  515,  526,  530,  531,  532,  540,
                                     548,  554,  556,  563,  587,  601,  636,  989,  990,  993,  995,  1719, 1720,
                                     1723, 2049, 3659, 4045, 5060, 5061, 6000, 6566, 6665, 6666, 6667, 6668, 6669,
                                     6697, 10080};
  Origin o;
  if (!ParseOrigin(url, o)) return false;
  for (int port : kBlocked)
    if (port == o.port) return true;
  return false;
}

bool SameOrigin(std::string_view a, std::string_view b) {
  const std::string first = OriginOf(a);
  return !first.empty() && first == OriginOf(b);
}

}  // namespace morvane
