#include "health/page_facts.h"

#include <glib.h>
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "util/glib_ptr.h"
#include "util/terminal_text.h"
#include "util/text_encoding.h"

namespace morvane {
namespace {

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }
bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == ':';
}

std::string LowerText(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = Lower(c);
  return out;
}

std::size_t FindNoCase(std::string_view s, std::string_view lowerWord, std::size_t from = 0) {
  if (lowerWord.size() > s.size()) return std::string_view::npos;
  for (std::size_t i = from; i + lowerWord.size() <= s.size(); ++i) {
    std::size_t k = 0;
    while (k < lowerWord.size() && Lower(s[i + k]) == lowerWord[k]) ++k;
    if (k == lowerWord.size()) return i;
  }
  return std::string_view::npos;
}

// One tag of the page: its lower-case name and its attributes' text.
struct Tag {
  std::string name;
  std::string_view attributes;
};

// Walks the page tag by tag, skipping comments, so a commented-out tag is
// not taken for a live one. A quoted value may hold ">".
class TagWalker {
 public:
  explicit TagWalker(std::string_view html) : html_(html) {}

  bool Next(Tag& tag) {
    while (true) {
      const std::size_t lt = html_.find('<', pos_);
      if (lt == std::string_view::npos) return false;
      if (html_.compare(lt, 4, "<!--") == 0) {
        const std::size_t end = html_.find("-->", lt + 4);
        if (end == std::string_view::npos) return false;
        pos_ = end + 3;
        continue;
      }
      std::size_t i = lt + 1;
      const std::size_t nameStart = i;
      while (i < html_.size() && IsNameChar(html_[i])) ++i;
      tag.name = LowerText(html_.substr(nameStart, i - nameStart));
      const std::size_t attributesStart = i;
      char quote = 0;
      while (i < html_.size() && (quote || html_[i] != '>')) {
        if (quote) {
          if (html_[i] == quote) quote = 0;
        } else if (html_[i] == '"' || html_[i] == '\'') {
          quote = html_[i];
        }
        ++i;
      }
      if (i >= html_.size()) return false;  // a tag cut short is not read
      tag.attributes = html_.substr(attributesStart, i - attributesStart);
      pos_ = i + 1;
      if (tag.name.empty()) continue;
      return true;
    }
  }

  std::size_t Position() const { return pos_; }

 private:
  std::string_view html_;
  std::size_t pos_ = 0;
};

// The value of one attribute (name lower case), or nullopt.
bool AttributeValue(std::string_view attributes, std::string_view name, std::string& value) {
  std::size_t i = 0;
  while (i < attributes.size()) {
    while (i < attributes.size() && (IsSpace(attributes[i]) || attributes[i] == '/')) ++i;
    const std::size_t start = i;
    while (i < attributes.size() && !IsSpace(attributes[i]) && attributes[i] != '=' && attributes[i] != '/') ++i;
    const std::string key = LowerText(attributes.substr(start, i - start));
    while (i < attributes.size() && IsSpace(attributes[i])) ++i;
    std::string_view found;
    if (i < attributes.size() && attributes[i] == '=') {
      ++i;
      while (i < attributes.size() && IsSpace(attributes[i])) ++i;
      if (i < attributes.size() && (attributes[i] == '"' || attributes[i] == '\'')) {
        const char quote = attributes[i++];
        const std::size_t end = attributes.find(quote, i);
        const std::size_t stop = end == std::string_view::npos ? attributes.size() : end;
        found = attributes.substr(i, stop - i);
        i = stop + 1;
      } else {
        const std::size_t valueStart = i;
        while (i < attributes.size() && !IsSpace(attributes[i])) ++i;
        found = attributes.substr(valueStart, i - valueStart);
      }
    } else if (i == start) {
      ++i;  // a stray character: step over it
    }
    if (key == name) {
      value.assign(found);
      return true;
    }
  }
  return false;
}

void AppendUtf8(std::string& out, gunichar c) {
  char buffer[6];
  out.append(buffer, static_cast<std::size_t>(g_unichar_to_utf8(c, buffer)));
}

// Character references as a browser reads them in text and attributes; the
// few named ones pages use in titles and addresses.
std::string DecodeReferences(std::string_view text) {
  static constexpr std::pair<std::string_view, gunichar> kNamed[] = {
      {"amp", '&'},      {"lt", '<'},        {"gt", '>'},      {"quot", '"'},    {"apos", '\''},
      {"nbsp", 0xA0},    {"copy", 0xA9},     {"reg", 0xAE},    {"middot", 0xB7}, {"ndash", 0x2013},
      {"mdash", 0x2014}, {"hellip", 0x2026}, {"trade", 0x2122}};
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] != '&') {
      out.push_back(text[i++]);
      continue;
    }
    const std::size_t semicolon = text.find(';', i);
    if (semicolon != std::string_view::npos && semicolon - i <= 10) {
      const std::string_view name = text.substr(i + 1, semicolon - i - 1);
      gunichar c = 0;
      bool known = false;
      if (name.size() >= 2 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const std::string digits(name.substr(hex ? 2 : 1));
        char* end = nullptr;
        const unsigned long value = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
        if (!digits.empty() && end && *end == '\0') {
          c = value > 0x10FFFF ? 0xFFFD : static_cast<gunichar>(value);
          known = true;
        }
      } else {
        for (auto [word, value] : kNamed)
          if (name == word) {
            c = value;
            known = true;
          }
      }
      if (known) {
        AppendUtf8(out, c != 0 && g_unichar_validate(c) ? c : 0xFFFD);
        i = semicolon + 1;
        continue;
      }
    }
    out.push_back(text[i++]);
  }
  return out;
}

std::string CanonicalCharset(std::string_view charset) {
  const std::string lower = LowerText(charset);
  for (std::string_view name :
       {"shift_jis", "shift-jis", "sjis", "x-sjis", "windows-31j", "cp932", "ms_kanji", "csshiftjis", "ms932"})
    if (lower == name) return "CP932";
  if (lower == "utf8") return "UTF-8";
  return lower;
}

struct IconvClose {
  void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

std::string Charset(std::string_view rest) {
  std::size_t i = 0;
  while (i < rest.size() && (IsSpace(rest[i]) || rest[i] == '=' || rest[i] == '"' || rest[i] == '\'')) ++i;
  std::size_t end = i;
  while (end < rest.size() && (IsNameChar(rest[end]) || rest[end] == '.')) ++end;
  return LowerText(rest.substr(i, end - i));
}

std::string CharsetIn(std::string_view text) {
  const std::size_t at = FindNoCase(text, "charset");
  return at == std::string_view::npos ? std::string() : Charset(text.substr(at + 7));
}

}  // namespace

std::string_view AnalysisTagText(AnalysisTag tag) {
  switch (tag) {
    case AnalysisTag::Present: return "タグあり";
    case AnalysisTag::Absent: return "タグなし";
    case AnalysisTag::Unknown: break;
  }
  return "確認できません";
}

std::string PageCharset(std::string_view contentType, std::string_view html) {
  if (std::string found = CharsetIn(contentType); !found.empty()) return found;
  TagWalker walker(html);
  Tag tag;
  while (walker.Next(tag)) {
    if (tag.name == "body") break;
    if (tag.name != "meta") continue;
    std::string value;
    if (AttributeValue(tag.attributes, "charset", value)) return Charset(value);
    if (AttributeValue(tag.attributes, "content", value))
      if (std::string found = CharsetIn(value); !found.empty()) return found;
  }
  return {};
}

std::string DecodePageText(std::string_view bytes, std::string_view charset) {
  std::string from = CanonicalCharset(charset);
  if (from.empty())
    from = g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr) ? "UTF-8" : "CP932";
  if (from == "UTF-8" || from == "us-ascii") return ValidUtf8(bytes);
  iconv_t cd = iconv_open("UTF-8", from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return ValidUtf8(bytes);  // a name iconv does not know
  std::unique_ptr<void, IconvClose> owner(cd);
  std::string out;
  char buffer[4096];
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    if (done == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      // A byte that does not decode (or a character cut at the end).
      out.append("\xEF\xBF\xBD");
      ++in;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return ValidUtf8(out);
}

std::string PageTitle(std::string_view html, std::string_view charset, std::size_t maxChars) {
  TagWalker walker(html);
  Tag tag;
  while (walker.Next(tag)) {
    if (tag.name != "title") continue;
    const std::size_t start = walker.Position();
    std::size_t end = FindNoCase(html, "</title", start);
    if (end == std::string_view::npos) end = html.size();
    return OneShownLine(DecodeReferences(DecodePageText(html.substr(start, end - start), charset)), maxChars);
  }
  return {};
}

std::vector<std::string> TagHosts(const std::vector<std::string>& addresses) {
  std::vector<std::string> hosts;
  for (const std::string& address : addresses) {
    std::string text = address;
    if (text.find("://") == std::string::npos && !text.empty()) text = "http://" + text;
    const GUriPtr uri(g_uri_parse(text.c_str(), G_URI_FLAGS_NONE, nullptr));
    if (!uri) continue;
    if (const char* host = g_uri_get_host(uri.get()); host && *host) {
      std::string lower = LowerText(host);
      if (std::find(hosts.begin(), hosts.end(), lower) == hosts.end()) hosts.push_back(std::move(lower));
    }
  }
  return hosts;
}

AnalysisTag FindAnalysisTag(std::string_view html, std::string_view pageURL, const std::vector<std::string>& hosts,
                            bool cutShort) {
  if (hosts.empty()) return AnalysisTag::Unknown;
  const std::string base(pageURL);
  const GUriPtr baseURI(g_uri_parse(base.c_str(), G_URI_FLAGS_NONE, nullptr));
  TagWalker walker(html);
  Tag tag;
  bool found = false;
  while (!found && walker.Next(tag)) {
    const char* attribute = tag.name == "script" || tag.name == "img" ? "src" : tag.name == "link" ? "href" : nullptr;
    std::string value;
    if (!attribute || !AttributeValue(tag.attributes, attribute, value)) continue;
    value = DecodeReferences(value);
    value.erase(std::remove_if(value.begin(), value.end(), [](char c) { return c == '\t' || c == '\r' || c == '\n'; }),
                value.end());
    const GUriPtr uri(baseURI ? g_uri_parse_relative(baseURI.get(), value.c_str(), G_URI_FLAGS_NONE, nullptr)
                              : g_uri_parse(value.c_str(), G_URI_FLAGS_NONE, nullptr));
    if (!uri) continue;
    const char* hostText = g_uri_get_host(uri.get());
    const std::string host = hostText ? LowerText(hostText) : std::string();
    for (const std::string& wanted : hosts)
      if (host == wanted ||
          (host.size() > wanted.size() && host.ends_with(wanted) && host[host.size() - wanted.size() - 1] == '.'))
        found = true;
  }
  if (found) return AnalysisTag::Present;
  return cutShort ? AnalysisTag::Unknown : AnalysisTag::Absent;
}

}  // namespace morvane
