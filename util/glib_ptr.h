#pragma once
// Owning pointers for what GLib hands over (strings to g_free, URIs, errors),
// and the one reading of a web address's scheme, host and port, which rests
// on GLib's URI parser.
#include <glib.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace morvane {

struct GFreeDeleter {
  void operator()(gpointer p) const { g_free(p); }
};
using GCharPtr = std::unique_ptr<char, GFreeDeleter>;

struct GUriDeleter {
  void operator()(GUri* uri) const { g_uri_unref(uri); }
};
using GUriPtr = std::unique_ptr<GUri, GUriDeleter>;

struct GErrorDeleter {
  void operator()(GError* error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorDeleter>;

// An absolute address as GLib reads it, its escapes left as they are written.
struct AddressParts {
  std::string scheme;  // lower case
  std::string host;    // never empty; an international name in its ASCII form, IPv6 without brackets
  int port = -1;       // -1 where none is written
  bool IsHttp() const { return scheme == "http" || scheme == "https"; }
};

// nullopt for anything that is not an absolute address with a host.
std::optional<AddressParts> ParseAddressParts(std::string_view url);

}  // namespace morvane
