#pragma once
// The bookmark file desktop browsers export and import (an HTML page of
// nested folder lists), read into folders and bookmarks. Hostile files are
// expected: the reader is one linear pass, nesting deeper than it keeps is
// flattened, every title is cleaned as the site dialog cleans fields and cut
// to kBookmarkTitleBytes, and an address longer than kBookmarkURLBytes is
// left out.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/site_record.h"

namespace morvane {

inline constexpr std::size_t kBookmarkTitleBytes = 255;  // CP932, cut at a character
inline constexpr std::size_t kBookmarkURLBytes = 8192;

struct BookmarkFolder {
  std::string name;  // CP932; the whole file's entry has none
  int depth = 0;     // 0 for the whole file
  // Folders are in the file's order; those under this one come right after
  // it, up to (not including) this index.
  std::size_t end = 0;
};

struct Bookmark {
  std::string title;  // CP932, cleaned
  std::string url;    // as written, entities decoded, characters outside CP932 percent-escaped
  std::size_t folder = 0;
};

struct BookmarkFile {
  std::vector<BookmarkFolder> folders;  // [0] is the whole file
  std::vector<Bookmark> bookmarks;
  long long notWeb = 0;   // bookmarks other than http and https (scripts, local files), left out
  long long tooLong = 0;  // addresses over kBookmarkURLBytes, left out
  long long cleaned = 0;  // titles or addresses that held a line break, tab or zero byte, dropped

  // The sites made from the bookmarks in a folder and the folders under it:
  // the title (or the URL when it has none) as the name, the URL, the given
  // category and registration date; the analysis URL and login left empty.
  std::vector<SiteRecord> SitesIn(std::size_t folder, std::string_view category, std::string_view registDate) const;
};

// bytes: the file as read; UTF-8 as browsers write it, or CP932 when the
// whole file reads as CP932 and not as UTF-8. A file without any folder list gives the whole-file entry
// and the bookmarks found.
BookmarkFile ParseBookmarkFile(std::string_view bytes);

}  // namespace morvane
