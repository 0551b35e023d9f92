#include "navi/core/link_list.h"

#include <algorithm>
#include <numeric>

#include "util/cp932.h"
#include "util/csv.h"
#include "util/text_routines.h"
#include "web/html_routines.h"
#include "web/scan_views.h"
#include "web/url_routines.h"

namespace morvane {
namespace {

std::string WithoutLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\r' && c != '\n') out.push_back(c);
  return out;
}

// Whether text holds word at a character of its own: UTF-8 never hides an
// ASCII byte inside a character, but a word of broken bytes could start or
// end inside one.
bool HoldsWord(std::string_view text, std::string_view word) {
  const auto continues = [&](std::size_t at) {
    return at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80;
  };
  for (std::size_t at = text.find(word); at != std::string_view::npos; at = text.find(word, at + 1))
    if (!continues(at) && !continues(at + word.size())) return true;
  return false;
}

bool IsAdvertOrSearch(std::string_view href) {
  for (std::string_view host : {kAdHostPrefix, kAdHost, kSearchHost})
    if (href.find(host) != std::string_view::npos) return true;
  return false;
}

// Link texts hold no tags; a "<" must still never open one.
void AppendLinkText(std::string& out, std::string_view text) {
  for (std::size_t lt; (lt = text.find('<')) != std::string_view::npos; text.remove_prefix(lt + 1))
    out.append(text.substr(0, lt)).append("&lt;");
  out.append(text);
}

bool IsClickable(std::string_view url) {
  const std::string_view scheme = url.substr(0, url.find(':'));
  if (scheme.size() == url.size()) return false;
  for (std::string_view ok : {"http", "https", "ftp", "mailto"})
    if (scan::EqualsNoCase(scheme, ok)) return true;
  return false;
}

void AppendAnchor(std::string& out, std::string_view url, std::string_view text, bool withHref) {
  if (withHref) {
    out.append("<a href=\"");
    AppendHTMLEscaped(out, url, true);
    out.append("\">");
  } else {
    out.append("<a>");
  }
  AppendLinkText(out, text);
  out.append("</a>");
}

// The URL never holds a tab, so the first tab is the separator.
std::pair<std::string_view, std::string_view> SplitEntry(std::string_view entry) {
  const std::size_t tab = entry.find('\t');
  return {entry.substr(0, tab), tab == std::string_view::npos ? std::string_view() : entry.substr(tab + 1)};
}

void AppendStatus(std::string& out, const LinkStatus& status) {
  const bool failing = status.health == LinkHealth::Failing;
  out.append(failing ? "<b style=\"color:#c00000\">[" : "[");
  AppendHTMLEscaped(out, status.text, true);
  out.append(failing ? "]</b> " : "] ");
}

constexpr std::string_view kTextBoxOpen = "<Textarea cols=100 rows=30 wrap=off ondblclick=\"this.select();\">";
constexpr std::string_view kTextBoxClose = "</Textarea>";

}  // namespace

PageLinkList BuildPageLinkList(std::string_view source, std::string_view baseURL, std::string_view anchorKeyword,
                               std::string_view urlKeyword) {
  PageLinkList list;
  const LinkResolver resolver(baseURL, LinkResolver::Shortcuts::kUse, TextEncoding::kUtf8);
  std::string href, text;
  while (NextLink(source, href, text, TextEncoding::kUtf8)) {
    text = WithoutLineBreaks(text);
    if (text.empty()) text = kNoLinkText;
    if (IsAdvertOrSearch(href)) continue;
    // The address the engine would go to: a character CP932 lacks is kept as
    // the escapes of its bytes, so the address survives wherever it goes.
    std::string url = MarkOutsideCp932(resolver.Resolve(href), OutsideCp932::kPercentEscapes);
    if (!anchorKeyword.empty() && !HoldsWord(text, anchorKeyword)) continue;
    if (!urlKeyword.empty() && !HoldsWord(url, urlKeyword)) continue;
    url.append(1, '\t').append(text);
    list.entries.push_back(std::move(url));
  }
  // Sorting first and dropping equal neighbours keeps the same lines as
  // checking each new line against the list, without the quadratic search.
  std::sort(list.entries.begin(), list.entries.end());
  list.entries.erase(std::unique(list.entries.begin(), list.entries.end()), list.entries.end());
  return list;
}

std::size_t PageLinkList::TextSize() const {
  std::size_t size = 0;
  for (const std::string& entry : entries) size += entry.size();
  return size;
}

std::string PageLinkList::LinkLines() const {
  std::string out;
  out.reserve(TextSize() + entries.size() * 20);
  for (const std::string& entry : entries) {
    const auto [url, text] = SplitEntry(entry);
    AppendAnchor(out, url, text, true);
    out.append("\r\n");
  }
  return out;
}

std::string PageLinkList::ListText() const {
  std::string out;
  out.reserve(TextSize() + entries.size() * 2);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    out.append(entries[i]);
    if (Checked()) out.append(1, '\t').append(statuses[i].text);
    out.append("\r\n");
  }
  return out;
}

std::string PageLinkList::Page() const {
  std::string page;
  page.reserve(TextSize() * 3 + entries.size() * 60 + 256);
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto [url, text] = SplitEntry(entries[i]);
    if (Checked()) AppendStatus(page, statuses[i]);
    AppendAnchor(page, url, text, IsClickable(url));
    page.append("<br>");
  }
  page.append("<br><br>").append(kTextBoxOpen);
  AppendHTMLEscaped(page, LinkLines(), false);
  page.append(kTextBoxClose).append("<br><br>").append(kTextBoxOpen);
  AppendHTMLEscaped(page, ListText(), false);
  page.append(kTextBoxClose);
  return page;
}

void PageLinkList::PutFailingFirst() {
  if (!Checked()) return;
  std::vector<std::size_t> order(entries.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_partition(order.begin(), order.end(),
                        [&](std::size_t i) { return statuses[i].health == LinkHealth::Failing; });
  std::vector<std::string> sortedEntries;
  std::vector<LinkStatus> sortedStatuses;
  sortedEntries.reserve(order.size());
  sortedStatuses.reserve(order.size());
  for (std::size_t i : order) {
    sortedEntries.push_back(std::move(entries[i]));
    sortedStatuses.push_back(std::move(statuses[i]));
  }
  entries = std::move(sortedEntries);
  statuses = std::move(sortedStatuses);
}

std::string PageLinkList::Csv() const {
  std::string out(kUtf8ByteOrderMark);
  AppendCsvRow(out, {"URL", "リンクテキスト", "状態"});
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const auto [url, text] = SplitEntry(entries[i]);
    AppendCsvRow(out, {std::string(url), std::string(text), Checked() ? statuses[i].text : std::string()});
  }
  return out;
}

}  // namespace morvane
