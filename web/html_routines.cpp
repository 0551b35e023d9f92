#include "web/html_routines.h"

#include "util/text_routines.h"
#include "web/scan_views.h"

namespace morvane {

using scan::CutAt;
using scan::TrimView;

std::string ExtractTitle(std::string_view html, TextEncoding e) {
  while (!html.empty()) {
    CutAt(html, '<', e);
    std::string_view inside = TrimView(CutAt(html, '>', e), e);
    if (!scan::EqualsNoCase(TrimView(CutAt(inside, ' ', e), e), "title")) continue;
    return std::string(TrimView(CutAt(html, '<', e), e));
  }
  return {};
}

namespace {

// The text of an anchor up to its closing tag; tags inside it are dropped and
// the pieces of text joined as they stand. Text after the last tag of the page
// is left in html.
void ReadLinkText(std::string_view& html, std::string& text, TextEncoding e) {
  while (!html.empty()) {
    const std::size_t lt = scan::FindChar(html, '<', e);
    if (lt == scan::npos) return;
    if (lt > 0) {
      text.append(html.substr(0, lt));
      html.remove_prefix(lt);
      continue;
    }
    html.remove_prefix(1);
    std::string_view inside = TrimView(CutAt(html, '>', e), e);
    if (!inside.empty() && inside[0] != '/') continue;  // an opening tag inside the link
    CutAt(inside, '/', e);
    if (scan::EqualsNoCase(TrimView(inside, e), "a")) return;
  }
}

}  // namespace

bool NextAnchor(std::string_view& html, std::string& href, std::string& text, TextEncoding e) {
  href.clear();
  text.clear();
  const std::size_t lt = scan::FindChar(html, '<', e);
  if (lt == scan::npos) return false;
  html.remove_prefix(lt + 1);

  std::string_view tag = TrimView(CutAt(html, '>', e), e);
  if (!scan::StartsWithNoCase(tag, "a ")) return true;
  tag = TrimView(tag.substr(2), e);
  const std::size_t at = scan::FindNoCase(tag, "href", e);
  if (at == scan::npos) return true;
  tag.remove_prefix(at + 4);
  CutAt(tag, '=', e);
  tag = TrimView(tag, e);
  if (!tag.empty() && tag[0] == '"') {
    tag.remove_prefix(1);
    // href="" takes the text up to the next quote of the tag instead.
    if (!tag.empty() && tag[0] == '"') tag.remove_prefix(1);
    tag = TrimView(CutAt(tag, '"', e), e);
  }
  href = DecodeEntities(CutAt(tag, ' ', e));
  ReadLinkText(html, text, e);
  return true;
}

bool NextLink(std::string_view& html, std::string& href, std::string& text, TextEncoding e) {
  while (NextAnchor(html, href, text, e)) {
    if (href.empty() || text.empty()) continue;
    if (e == TextEncoding::kCp932) {
      text = TrimLineBreaks(TrimSpaces(text));
    } else {
      // No byte of a UTF-8 character is a CR or LF: the pairs come off as bytes.
      std::string_view t = TrimView(text, e);
      while (t.starts_with("\r\n")) t.remove_prefix(2);
      while (t.size() > 2 && t.ends_with("\r\n")) t.remove_suffix(2);
      text = std::string(t);
    }
    if (!text.empty()) return true;
  }
  return false;
}

std::string DecodeEntities(std::string_view text) {
  struct Entity {
    std::string_view name;  // after the "&", lower case
    char ch;
  };
  // The order of the tries matters only for the forms with and without ";".
  static constexpr Entity kEntities[] = {{"lt;", '<'}, {"gt;", '>'},  {"nbsp;", ' '}, {"lt", '<'},
                                         {"gt", '>'},  {"nbsp", ' '}, {"amp;", '&'}};
  std::string out;
  out.reserve(text.size());
  for (;;) {
    const std::size_t amp = text.find('&');
    out.append(text.substr(0, amp));
    if (amp == std::string_view::npos) return out;
    text.remove_prefix(amp + 1);
    char ch = '&';
    for (const Entity& e : kEntities) {
      if (scan::StartsWithNoCase(text, e.name)) {
        ch = e.ch;
        text.remove_prefix(e.name.size());
        break;
      }
    }
    out.push_back(ch);
  }
}

// Byte by byte on purpose: a stray lead byte before "<" must not hide it, as
// the browser would read the "<" as markup after a broken character.
void AppendHTMLEscaped(std::string& out, std::string_view text, bool quotesToo) {
  std::size_t run = 0;  // start of the bytes not yet copied
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    // The five special bytes lie between '"' and '>'; the rest pass at once.
    if (c > '>' || c < '"') continue;
    std::string_view entity;
    if (c == '&') entity = "&amp;";
    else if (c == '<') entity = "&lt;";
    else if (c == '>') entity = "&gt;";
    else if (c == '"' && quotesToo) entity = "&quot;";
    else if (c == '\'' && quotesToo) entity = "&#39;";
    else continue;
    out.append(text.substr(run, i - run)).append(entity);
    run = i + 1;
  }
  out.append(text.substr(run));
}

}  // namespace morvane
