#include "web/url_routines.h"

#include <glib.h>

#include <algorithm>
#include <cstring>
#include <optional>

#include "util/glib_ptr.h"
#include "util/text_routines.h"

namespace morvane {

std::string StripTrailingSlash(std::string_view text) {
  if (text.ends_with('/')) text.remove_suffix(1);
  return std::string(text);
}

namespace {

constexpr GUriFlags kParseFlags = G_URI_FLAGS_ENCODED;

bool IsUrlChar(unsigned char c) {
  if (c <= 0x20 || c >= 0x7F) return false;
  switch (c) {
    case '%':
    case '"':
    case '<':
    case '>':
    case '\\':
    case '^':
    case '`':
    case '{':
    case '|':
    case '}': return false;
    default: return true;
  }
}

// Percent-encodes every byte GLib would refuse or rewrite, whole double-byte
// characters included, and every "%" itself; Unescape then gives back the
// exact bytes, so the resolver only ever moves the text around.
std::string Escape(std::string_view s, TextEncoding e) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(s.size() + s.size() / 4);
  for (std::size_t p = 0; p < s.size(); ++p) {
    const auto c = static_cast<unsigned char>(s[p]);
    const bool pair = e == TextEncoding::kCp932 && IsLeadByte(c) && p + 1 < s.size();
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

// A reference made only of plain URL characters, without "." or ".."
// segments, needs no escaping and no dot removal.
bool IsPlainReference(std::string_view r) {
  for (char c : r)
    if (!IsUrlChar(static_cast<unsigned char>(c))) return false;
  std::string_view path = r.substr(0, r.find_first_of("?#"));
  while (!path.empty()) {
    const std::string_view segment = path.substr(0, path.find('/'));
    if (segment == "." || segment == "..") return false;
    path.remove_prefix(std::min(path.size(), segment.size() + 1));
  }
  return true;
}

// "http:" or "https:" in any case: the page wrote an absolute address, and
// the list shows it as written.
bool IsWebAddress(std::string_view r) {
  const std::size_t colon = r.find(':');
  if (colon != 4 && colon != 5) return false;
  return g_ascii_strncasecmp(r.data(), "https", colon) == 0;
}

std::optional<std::string> ResolveByGLib(GUri* base, std::string_view reference, TextEncoding e) {
  const std::string escaped = Escape(reference, e);
  GUriPtr resolved(g_uri_parse_relative(base, escaped.c_str(), kParseFlags, nullptr));
  if (!resolved) return std::nullopt;
  // "http:/.//x" loses its dots and would read as a host: GLib cannot write
  // that back (RFC 3986 5.2.4 leaves it open), so it stays unresolved.
  const char* path = g_uri_get_path(resolved.get());
  if (g_uri_get_host(resolved.get()) == nullptr && path[0] == '/' && path[1] == '/') return std::nullopt;
  // GLib hands the host back decoded, so Unescape would decode a "%" written
  // there a second time ("%0A" becoming a line break): such a host stays as written.
  const char* host = g_uri_get_host(resolved.get());
  if (host != nullptr && std::strchr(host, '%') != nullptr) return std::nullopt;
  GCharPtr text(g_uri_to_string(resolved.get()));
  if (!text) return std::nullopt;
  return Unescape(text.get());
}

// What the base turns into in front of a plain reference of one kind,
// learnt from the resolver itself with a probe such as "?x".
std::optional<std::string> PrefixFor(GUri* base, std::string_view probe) {
  std::optional<std::string> out = ResolveByGLib(base, probe, TextEncoding::kCp932);  // the probes are ASCII
  if (!out || !out->ends_with(probe)) return std::nullopt;
  out->resize(out->size() - probe.size());
  return out;
}

}  // namespace

struct LinkResolver::Base {
  GUriPtr uri;  // null when the page URL cannot serve as a base
  // Prefixes for plain references starting with "/", "?", "#" or a segment:
  // most links of a page are resolved without a trip through GLib.
  std::optional<std::string> root, document, page, folder;
  bool quick = true;
  TextEncoding encoding = TextEncoding::kCp932;
};

LinkResolver::LinkResolver(std::string_view pageURL, Shortcuts shortcuts, TextEncoding encoding)
    : base_(std::make_unique<Base>()) {
  base_->encoding = encoding;
  const std::string escaped = Escape(WithoutTabsAndBreaks(pageURL), encoding);
  GUriPtr uri(g_uri_parse(escaped.c_str(), kParseFlags, nullptr));
  // about:blank and the like have no host: relative references mean nothing there.
  base_->quick = shortcuts == Shortcuts::kUse;
  if (!uri || g_uri_get_host(uri.get()) == nullptr) return;
  base_->uri = std::move(uri);
  if (!base_->quick) return;
  base_->root = PrefixFor(base_->uri.get(), "/x");
  base_->document = PrefixFor(base_->uri.get(), "?x");
  base_->page = PrefixFor(base_->uri.get(), "#x");
  base_->folder = PrefixFor(base_->uri.get(), "x");
}

LinkResolver::~LinkResolver() = default;

std::optional<std::string> LinkResolver::Shortcut(std::string_view r) const {
  if (r.empty() || !IsPlainReference(r)) return std::nullopt;
  const std::optional<std::string>* prefix = nullptr;
  switch (r[0]) {
    case '/':
      if (r.starts_with("//")) return std::nullopt;
      prefix = &base_->root;
      break;
    case '?': prefix = &base_->document; break;
    case '#': prefix = &base_->page; break;
    default: {
      const std::size_t colon = r.find(':');
      if (colon != std::string_view::npos && colon < r.find_first_of("/?#")) return std::nullopt;
      prefix = &base_->folder;
    }
  }
  if (!*prefix) return std::nullopt;
  return **prefix + std::string(r);
}

std::string LinkResolver::Resolve(std::string_view reference) const {
  if (reference.empty()) return {};
  if (reference.size() >= 2 && reference.front() == '\'' && reference.back() == '\'')
    reference = reference.substr(1, reference.size() - 2);
  if (reference.empty()) return FolderOfBase();
  std::string clean = WithoutTabsAndBreaks(reference);
  if (IsWebAddress(clean)) return clean;
  if (base_->quick) {
    if (auto quick = Shortcut(clean)) return std::move(*quick);
  }
  auto resolved = ResolveByGLib(base_->uri.get(), clean, base_->encoding);
  return resolved ? std::move(*resolved) : clean;
}

// The folder the page lies in, with its "/": what a link of two single
// quotes stands for.
std::string LinkResolver::FolderOfBase() const {
  if (!base_->uri) return {};
  return PrefixFor(base_->uri.get(), "x").value_or(std::string());
}

std::string ResolveLinkURL(std::string_view pageURL, std::string_view reference) {
  return LinkResolver(pageURL).Resolve(reference);
}

}  // namespace morvane
