// Any bookmark file reads without a crash; folders nest properly and every
// bookmark is a clean web address in a folder that exists.
#include "catalogue/bookmark_file.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const morvane::BookmarkFile file = morvane::ParseBookmarkFile(AsText(data, size));
  FUZZ_CHECK(!file.folders.empty() && file.folders[0].depth == 0);
  for (std::size_t i = 0; i < file.folders.size(); ++i) {
    FUZZ_CHECK(file.folders[i].end > i && file.folders[i].end <= file.folders.size());
    if (i > 0) FUZZ_CHECK(file.folders[i].depth >= 1 && file.folders[i].depth <= 33);
  }
  for (const morvane::Bookmark& b : file.bookmarks) {
    FUZZ_CHECK(b.folder < file.folders.size());
    std::string scheme = b.url.substr(0, 4);
    for (char& c : scheme) c = static_cast<char>(c | 0x20);
    FUZZ_CHECK(scheme == "http");
    FUZZ_CHECK(b.title.find_first_of("\t\r\n") == std::string::npos);
    FUZZ_CHECK(b.url.find_first_of("\t\r\n") == std::string::npos);
  }
  FUZZ_CHECK(file.SitesIn(0, "", "").size() == file.bookmarks.size());
  return 0;
}
