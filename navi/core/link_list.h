#pragma once
// The page link list: every link of a page made absolute, without duplicate
// lines or advertising and search links, optionally filtered by keywords,
// sorted, and laid out as a page of three blocks. Everything in it is
// UTF-8, as the page had it: shown as a CP932 page it goes through
// Utf8HtmlToCp932, copied it goes to the clipboard as it is.
#include <string>
#include <string_view>
#include <vector>

#include "navi/core/link_status.h"

namespace morvane {

// Links whose href contains one of these are left out: Google's advertising
// servers (the host prefix and one full host) and Google's Japanese search site.
inline constexpr std::string_view kAdHostPrefix = "pagead2.";
inline constexpr std::string_view kAdHost = "pagead2.googlesyndication.com";
inline constexpr std::string_view kSearchHost = "www.google.co.jp";

inline constexpr std::string_view kNoLinkText = "NoText";

struct PageLinkList {
  // "URL\tText" lines (UTF-8) in ascending byte order, each line once.
  std::vector<std::string> entries;
  // Empty for a list as built; after a link check one status per entry.
  std::vector<LinkStatus> statuses;

  // One anchor per entry, each followed by CR LF: the links as HTML source.
  std::string LinkLines() const;
  // Every entry followed by CR LF; after a check with a tab and its status
  // before the CR LF.
  std::string ListText() const;
  // The clickable links one per line, then a text box with LinkLines() and
  // one with ListText(). Addresses in attributes and the text boxes'
  // contents are HTML-escaped, so the page's own links cannot add markup;
  // only http, https, ftp and mailto addresses are made clickable. This is
  // what the toolbar shows, or copies to the clipboard.
  // After a check each visible link is preceded by its status.
  std::string Page() const;

  // After a check: dead and failing links first, each group in the order it
  // had.
  void PutFailingFirst();
  // URL, text and status of every entry, for a spreadsheet.
  std::string Csv() const;

 private:
  std::size_t TextSize() const;
  bool Checked() const { return !entries.empty() && statuses.size() == entries.size(); }
};

// source and baseURL are the page's HTML and address (UTF-8); an empty
// keyword does not filter, otherwise the link text (anchorKeyword) or the
// absolute URL (urlKeyword) must contain it, with exact letter case. A
// character of an address that CP932 lacks is written as the percent-escapes
// of its UTF-8 bytes.
PageLinkList BuildPageLinkList(std::string_view source, std::string_view baseURL, std::string_view anchorKeyword,
                               std::string_view urlKeyword);

}  // namespace morvane
