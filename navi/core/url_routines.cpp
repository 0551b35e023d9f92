#include "navi/core/url_routines.h"

#include <glib.h>

#include "util/text_routines.h"

namespace morvane {

std::string StripTrailingSlash(std::string_view text) {
  if (text.ends_with('/')) text.remove_suffix(1);
  return std::string(text);
}

namespace {

constexpr GUriFlags kParseFlags = G_URI_FLAGS_ENCODED;

struct GFreeDeleter {
  void operator()(void* p) const { g_free(p); }
};
using GString_ = std::unique_ptr<char, GFreeDeleter>;

struct GUriDeleter {
  void operator()(GUri* u) const { g_uri_unref(u); }
};
using GUriPtr = std::unique_ptr<GUri, GUriDeleter>;

bool IsUrlChar(unsigned char c) {
  if (c <= 0x20 || c >= 0x7F) return false;
  switch (c) {
    case '%': case '"': case '<': case '>': case '\\': case '^': case '`': case '{': case '|': case '}':
      return false;
    default:
      return true;
  }
}

// Percent-encodes every byte GLib would refuse or rewrite, whole double-byte
// characters included, and every "%" itself; Unescape then gives back the
// exact bytes, so the resolver only ever moves the text around.
std::string Escape(std::string_view s) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size() + s.size() / 4);
  for (std::size_t p = 0; p < s.size(); ++p) {
    const auto c = static_cast<unsigned char>(s[p]);
    const bool pair = IsLeadByte(c) && p + 1 < s.size();
    if (!pair && IsUrlChar(c)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    for (std::size_t i = 0; i < (pair ? 2u : 1u); ++i) {
      const auto b = static_cast<unsigned char>(s[p + i]);
      out.push_back('%');
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 15]);
    }
    if (pair) ++p;
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string Unescape(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t p = 0; p < s.size(); ++p) {
    if (s[p] == '%' && p + 2 < s.size() && HexValue(s[p + 1]) >= 0 && HexValue(s[p + 2]) >= 0) {
      out.push_back(static_cast<char>(HexValue(s[p + 1]) * 16 + HexValue(s[p + 2])));
      p += 2;
    } else {
      out.push_back(s[p]);
    }
  }
  return out;
}

// Browsers drop tabs and line breaks inside an address; a tab would also
// split the link list's URL-tab-text lines in the wrong place.
std::string WithoutTabsAndBreaks(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s)
    if (c != '\t' && c != '\r' && c != '\n') out.push_back(c);
  return out;
}

}  // namespace

struct LinkResolver::Base {
  GUriPtr uri;  // null when the page URL cannot serve as a base
};

LinkResolver::LinkResolver(std::string_view pageURL) : base_(std::make_unique<Base>()) {
  const std::string escaped = Escape(WithoutTabsAndBreaks(pageURL));
  GUriPtr uri(g_uri_parse(escaped.c_str(), kParseFlags, nullptr));
  // about:blank and the like have no host: relative references mean nothing there.
  if (uri && g_uri_get_host(uri.get()) != nullptr) base_->uri = std::move(uri);
}

LinkResolver::~LinkResolver() = default;

std::string LinkResolver::Resolve(std::string_view reference) const {
  if (reference.empty()) return {};
  if (reference.size() >= 2 && reference.front() == '\'' && reference.back() == '\'')
    reference = reference.substr(1, reference.size() - 2);
  if (reference.empty()) return {};
  std::string clean = WithoutTabsAndBreaks(reference);
  const std::string escaped = Escape(clean);
  GUriPtr resolved(g_uri_parse_relative(base_->uri.get(), escaped.c_str(), kParseFlags, nullptr));
  if (!resolved) return clean;
  GString_ text(g_uri_to_string(resolved.get()));
  return Unescape(text.get());
}

std::string ResolveLinkURL(std::string_view pageURL, std::string_view reference) {
  return LinkResolver(pageURL).Resolve(reference);
}

}  // namespace morvane
