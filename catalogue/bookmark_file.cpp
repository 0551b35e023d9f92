#include "catalogue/bookmark_file.h"

#include <glib.h>

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "catalogue/site_record.h"
#include "util/cp932.h"
#include "util/text_encoding.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

// Deeper folders than this are read as part of the deepest one kept.
constexpr int kMaxDepth = 32;
// Text of a title kept while reading: enough for kBookmarkTitleBytes in any
// encoding, so a title of a megabyte is not converted whole.
constexpr std::size_t kTitleTextKept = 4 * kBookmarkTitleBytes + 64;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

bool EqualsNoCase(std::string_view a, std::string_view lower) {
  if (a.size() != lower.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != lower[i]) return false;
  return true;
}

void AppendCodePoint(std::string& out, unsigned long cp) {
  // NUL, surrogates and what lies past Unicode become the replacement mark.
  if (cp == 0 || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = 0xFFFD;
  char buffer[8];
  out.append(buffer, static_cast<std::size_t>(g_unichar_to_utf8(static_cast<gunichar>(cp), buffer)));
}

// Character references of the text; unknown ones are kept as written.
std::string DecodeEntities(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  static constexpr std::pair<std::string_view, std::string_view> kNamed[] = {
      {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}};
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t semi = s[i] == '&' ? s.find(';', i) : std::string_view::npos;
    if (semi == std::string_view::npos || semi - i > 12) {
      out.push_back(s[i++]);
      continue;
    }
    const std::string_view name = s.substr(i + 1, semi - i - 1);
    bool done = false;
    if (name.size() > 1 && name[0] == '#') {
      const bool hex = name[1] == 'x' || name[1] == 'X';
      const std::string digits(name.substr(hex ? 2 : 1));
      if (!digits.empty() &&
          digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") == std::string::npos) {
        AppendCodePoint(out, std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10));
        done = true;
      }
    } else {
      for (const auto& [entity, text] : kNamed)
        if (EqualsNoCase(name, entity)) {
          out.append(text);
          done = true;
        }
    }
    if (done) i = semi + 1;
    else out.push_back(s[i++]);
  }
  return out;
}

// The value of the attribute (lower-case name) in a tag's attribute text.
std::string_view Attribute(std::string_view attrs, std::string_view wanted) {
  std::size_t i = 0;
  while (i < attrs.size()) {
    while (i < attrs.size() && (IsSpace(attrs[i]) || attrs[i] == '/')) ++i;
    const std::size_t nameStart = i;
    while (i < attrs.size() && !IsSpace(attrs[i]) && attrs[i] != '=' && attrs[i] != '/') ++i;
    const std::string_view name = attrs.substr(nameStart, i - nameStart);
    while (i < attrs.size() && IsSpace(attrs[i])) ++i;
    std::string_view value;
    if (i < attrs.size() && attrs[i] == '=') {
      ++i;
      while (i < attrs.size() && IsSpace(attrs[i])) ++i;
      if (i < attrs.size() && (attrs[i] == '"' || attrs[i] == '\'')) {
        const std::size_t close = attrs.find(attrs[i], i + 1);
        const std::size_t end = close == std::string_view::npos ? attrs.size() : close;
        value = attrs.substr(i + 1, end - i - 1);
        i = end + 1;
      } else {
        const std::size_t start = i;
        while (i < attrs.size() && !IsSpace(attrs[i])) ++i;
        value = attrs.substr(start, i - start);
      }
    }
    if (EqualsNoCase(name, wanted)) return value;
    if (name.empty() && i == nameStart) ++i;  // a stray '=' or quote
  }
  return {};
}

// Cut at a character, then trimmed again: the cut may leave a space last.
std::string CutTitle(std::string title) {
  if (title.size() <= kBookmarkTitleBytes) return title;
  std::size_t end = 0;
  while (end < title.size()) {
    const std::size_t next = end + CharWidthAt(title, end);
    if (next > kBookmarkTitleBytes) break;
    end = next;
  }
  title.resize(end);
  return TrimSpaces(title);
}

bool IsWebAddress(std::string_view url) {
  const auto starts = [&](std::string_view scheme) {
    return url.size() >= scheme.size() && EqualsNoCase(url.substr(0, scheme.size()), scheme);
  };
  return starts("http://") || starts("https://");
}

struct Reader {
  BookmarkFile file;
  std::vector<std::size_t> open;  // folder indices, innermost last
  int ignoredDepth = 0;           // lists opened past kMaxDepth
  std::string pendingFolder;      // the heading before the next list
  bool headingSeen = false;

  enum class Text { None, Heading, Link } text = Text::None;
  std::string textBuffer;
  std::string linkURL;

  // Line breaks and tabs in a title are the page's white space; a zero
  // byte is damage, dropped and counted ("&#0;" is the replacement mark
  // already). An address holds neither.
  static std::string CleanTitle(std::string_view utf8, bool& dirty) {
    const std::string decoded = DecodeEntities(utf8);
    dirty = dirty || decoded.find('\0') != std::string::npos;
    return CutTitle(CleanSiteField(Utf8ToCp932(decoded)));
  }

  static std::string CleanAddress(std::string_view attribute, bool& dirty) {
    const std::string decoded = DecodeEntities(attribute);
    dirty = dirty || HoldsLineBreakingBytes(decoded);
    return CleanSiteField(decoded);
  }

  void EndText() {
    if (text == Text::Heading) {
      bool dirty = false;
      pendingFolder = CleanTitle(textBuffer, dirty);
      headingSeen = true;
    } else if (text == Text::Link) {
      bool dirty = false;
      const std::string url = CleanAddress(linkURL, dirty);
      if (!IsWebAddress(url)) {
        ++file.notWeb;
      } else {
        std::string address = Utf8URLToCp932(url);
        std::string title = CleanTitle(textBuffer, dirty);
        if (address.size() > kBookmarkURLBytes) {
          ++file.tooLong;
        } else {
          if (dirty) ++file.cleaned;
          file.bookmarks.push_back({std::move(title), std::move(address), open.back()});
        }
      }
    }
    text = Text::None;
    textBuffer.clear();
  }

  void OpenList() {
    if (static_cast<int>(open.size()) > kMaxDepth || !headingSeen) {
      // A list without a heading (the file's own) or one too deep adds no folder.
      if (static_cast<int>(open.size()) > kMaxDepth) ++ignoredDepth;
      else open.push_back(open.back());
      headingSeen = false;
      return;
    }
    file.folders.push_back({std::exchange(pendingFolder, {}), file.folders[open.back()].depth + 1, 0});
    open.push_back(file.folders.size() - 1);
    headingSeen = false;
  }

  void CloseList() {
    if (ignoredDepth > 0) {
      --ignoredDepth;
    } else if (open.size() > 1) {
      const std::size_t closed = open.back();
      open.pop_back();
      if (closed != open.back()) file.folders[closed].end = file.folders.size();
    }
  }

  void Tag(std::string_view name, bool closing, std::string_view attrs) {
    if (EqualsNoCase(name, "a")) {
      EndText();
      if (!closing) {
        text = Text::Link;
        linkURL.assign(Attribute(attrs, "href"));
      }
    } else if (EqualsNoCase(name, "h3")) {
      EndText();
      if (!closing) text = Text::Heading;
    } else if (EqualsNoCase(name, "dl")) {
      EndText();
      closing ? CloseList() : OpenList();
    } else if (EqualsNoCase(name, "dt") || EqualsNoCase(name, "dd")) {
      EndText();
    }
    // Any other tag inside a title is markup, not text.
  }

  void Run(std::string_view s) {
    file.folders.push_back({"", 0, 0});
    open.push_back(0);
    std::size_t i = 0;
    while (i < s.size()) {
      const std::size_t lt = s.find('<', i);
      const std::size_t textEnd = lt == std::string_view::npos ? s.size() : lt;
      if (text != Text::None && textBuffer.size() < kTitleTextKept)
        textBuffer.append(s.substr(i, std::min(textEnd - i, kTitleTextKept - textBuffer.size())));
      if (lt == std::string_view::npos) break;
      if (s.substr(lt, 4) == "<!--") {
        const std::size_t end = s.find("-->", lt + 4);
        i = end == std::string_view::npos ? s.size() : end + 3;
        continue;
      }
      const std::size_t gt = s.find('>', lt + 1);
      const std::size_t tagEnd = gt == std::string_view::npos ? s.size() : gt;
      std::string_view inside = s.substr(lt + 1, tagEnd - lt - 1);
      const bool closing = !inside.empty() && inside[0] == '/';
      if (closing) inside.remove_prefix(1);
      std::size_t nameEnd = 0;
      while (nameEnd < inside.size() && !IsSpace(inside[nameEnd]) && inside[nameEnd] != '/') ++nameEnd;
      Tag(inside.substr(0, nameEnd), closing, inside.substr(nameEnd));
      i = gt == std::string_view::npos ? s.size() : gt + 1;
    }
    EndText();
    for (std::size_t f : open)
      if (file.folders[f].end == 0) file.folders[f].end = file.folders.size();
    for (BookmarkFolder& f : file.folders)
      if (f.end == 0) f.end = file.folders.size();
  }
};

}  // namespace

std::vector<SiteRecord> BookmarkFile::SitesIn(std::size_t folder, std::string_view category,
                                              std::string_view registDate) const {
  std::vector<SiteRecord> sites;
  if (folder >= folders.size()) return sites;
  for (const Bookmark& b : bookmarks) {
    if (b.folder < folder || b.folder >= folders[folder].end) continue;
    SiteRecord r;
    r.SiteName = b.title.empty() ? b.url : b.title;
    r.SiteURL = b.url;
    r.Category = std::string(category);
    r.RegistDate = std::string(registDate);
    sites.push_back(std::move(r));
  }
  return sites;
}

BookmarkFile ParseBookmarkFile(std::string_view bytes) {
  Reader reader;
  if (GuessTextEncoding(bytes) == TextEncoding::Cp932) reader.Run(Cp932ToUtf8(bytes));
  else reader.Run(bytes);
  return std::move(reader.file);
}

}  // namespace morvane
