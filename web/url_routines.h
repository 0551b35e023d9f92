#pragma once
// URL helpers for the link list and the status line. URLs are CP932 bytes,
// or UTF-8 where the resolver is told so.
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "web/scan_views.h"

namespace morvane {

// Removes one "/" at the end, if there is one.
std::string StripTrailingSlash(std::string_view text);

// Makes link references absolute against one page URL (RFC 3986). Bytes that
// are not plain URL characters (CP932 text, spaces, "%") come out as they
// were written, not percent-encoded; tabs and line breaks inside a reference
// are dropped as browsers do.
class LinkResolver {
 public:
  // kOff sends every reference through GLib; the quick paths for plain
  // references must give the same text (tests compare the two).
  enum class Shortcuts { kUse, kOff };

  explicit LinkResolver(std::string_view pageURL, Shortcuts shortcuts = Shortcuts::kUse,
                        TextEncoding encoding = TextEncoding::kCp932);
  ~LinkResolver();
  LinkResolver(const LinkResolver&) = delete;
  LinkResolver& operator=(const LinkResolver&) = delete;

  // Empty for an empty reference; one in single quotes loses them first, and
  // "''" stands for the page's folder. An "http:" or "https:" address comes
  // back as written (tabs and line breaks dropped). A reference that cannot be
  // resolved (a relative one on about:blank, a broken address) is kept as written.
  std::string Resolve(std::string_view reference) const;

 private:
  std::optional<std::string> Shortcut(std::string_view reference) const;
  std::string FolderOfBase() const;

  struct Base;
  std::unique_ptr<Base> base_;
};

std::string ResolveLinkURL(std::string_view pageURL, std::string_view reference);

}  // namespace morvane
