#include "browser/core/web_origin.h"

#include "util/glib_ptr.h"

namespace morvane {
namespace {

struct Origin {
  std::string scheme, host;
  int port = -1;
};

bool ParseOrigin(std::string_view url, Origin& origin) {
  const std::optional<AddressParts> parts = ParseAddressParts(url);
  if (!parts || !parts->IsHttp()) return false;
  // The page spells an international name in its ASCII form.
  const GCharPtr ascii(g_hostname_to_ascii(parts->host.c_str()));
  const GCharPtr lower(ascii ? g_ascii_strdown(ascii.get(), -1) : nullptr);
  if (!lower || !*lower) return false;
  origin.scheme = parts->scheme;
  origin.host = lower.get();
  if (origin.host.find(':') != std::string::npos) origin.host = "[" + origin.host + "]";
  origin.port = parts->port >= 0 ? parts->port : origin.scheme == "https" ? 443 : 80;
  return true;
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
  static constexpr int kBlocked[] = {1,    7,    9,    11,   13,   15,   17,   19,   20,   21,   22,   23,   25,   37,
                                     42,   43,   53,   69,   77,   79,   87,   95,   101,  102,  103,  104,  109,  110,
                                     111,  113,  115,  117,  119,  123,  135,  137,  139,  143,  161,  179,  389,  427,
                                     465,  512,  513,  514,  515,  526,  530,  531,  532,  540,  548,  554,  556,  563,
                                     587,  601,  636,  989,  990,  993,  995,  1719, 1720, 1723, 2049, 3659, 4045, 5060,
                                     5061, 6000, 6566, 6665, 6666, 6667, 6668, 6669, 6697, 10080};
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
