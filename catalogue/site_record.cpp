#include "catalogue/site_record.h"

#include "catalogue/shown_sites.h"
#include "catalogue/site_filter.h"
#include "util/cp932.h"
#include "util/scrambler.h"
#include "util/text_routines.h"

namespace morvane {

const std::string& AllSitesEntryName() { return SystemText("すべてのサイト"); }
const std::string& UncategorisedEntryName() { return SystemText("未分類"); }

ParsedSiteLine ParseSiteLine(std::string_view line) {
  ParsedSiteLine out;
  SiteRecord& r = out.record;
  std::string_view rest = line;
  for (std::string* field : {&r.SiteName, &r.SiteURL, &r.Category, &r.RegistDate, &r.AccessURL, &r.LoginID})
    *field = CutToken(rest, "\t");
  r.LoginPass = UnscrambleField(CutToken(rest, "\t"), kSitePasswordKey);
  out.leftover = rest;
  return out;
}

SiteRecord SiteFromLine(std::string_view line) { return ParseSiteLine(line).record; }

std::string FormatSiteLine(const SiteRecord& r) {
  return FormatSiteFields({r.SiteName, r.SiteURL, r.Category, r.RegistDate, r.AccessURL, r.LoginID, r.LoginPass});
}

std::string FormatSiteFields(const std::array<std::string_view, 7>& fields) {
  std::size_t size = 8 + 4 * fields[6].size();
  for (std::size_t i = 0; i < 6; ++i) size += fields[i].size();
  std::string line;
  line.reserve(size);
  for (std::size_t i = 0; i < 6; ++i) line.append(fields[i]).push_back('\t');
  AppendScrambledField(line, fields[6], kSitePasswordKey);
  return line;
}

std::string_view SiteURLOfLine(std::string_view line) {
  std::string_view rest = line;
  CutToken(rest, "\t");
  return CutToken(rest, "\t");
}

std::string_view SiteCategoryOfLine(std::string_view line) {
  for (int f = 0; f < 2; ++f) CutToken(line, "\t");
  return CutToken(line, "\t");
}

std::array<std::string, 8> SiteRowCells(std::string_view line, long long row) {
  SiteRecord r = SiteFromLine(line);
  return {std::to_string(row + 1), std::move(r.SiteName),  std::move(r.SiteURL), std::move(r.Category),
          std::move(r.RegistDate), std::move(r.AccessURL), std::move(r.LoginID), "*Password*"};
}

std::string CheckSiteInput(const SiteRecord& r) {
  std::string message;
  if (r.SiteName.empty()) message = SystemText("サイト名が入力されていません");
  if (r.SiteURL.empty()) message = SystemText("サイトURLが入力されていません");
  if (r.AccessURL.empty()) message = SystemText("アクセス解析URLが入力されていません");
  return message;
}

std::string FlattenField(std::string_view typed) {
  std::string s;
  s.reserve(typed.size());
  for (char c : typed) {
    if (c == '\r' || c == '\n' || c == '\0') continue;
    s.push_back(c == '\t' ? ' ' : c);
  }
  return s;
}

bool HoldsLineBreakingBytes(std::string_view text) {
  for (const char c : text)
    if (c == '\r' || c == '\n' || c == '\0' || c == '\t') return true;
  return false;
}

std::string CleanSiteField(std::string_view typed) { return TrimSpaces(FlattenField(typed)); }

long long FindSiteByURL(const LineList& sites, std::string_view url) {
  const auto& lines = sites.Lines();
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (SiteURLOfLine(lines[i]) == url) return static_cast<long long>(i);
  return -1;
}

void StoreSite(LineList& sites, const SiteRecord& rec) {
  const long long i = FindSiteByURL(sites, rec.SiteURL);
  if (i < 0) sites.Add(FormatSiteLine(rec));
  else sites.Put(i, FormatSiteLine(rec));
}

void DeleteSiteByURL(LineList& sites, std::string_view url) {
  const long long i = FindSiteByURL(sites, url);
  if (i >= 0) sites.Delete(i);
}

void MoveSiteToEntry(LineList& sites, SiteRecord rec, std::string_view entryName) {
  if (entryName == AllSitesEntryName()) return;
  rec.Category = entryName == UncategorisedEntryName() ? std::string() : std::string(entryName);
  const long long i = FindSiteByURL(sites, rec.SiteURL);
  if (i >= 0) sites.Put(i, FormatSiteLine(rec));
}

void UncategoriseSites(LineList& sites, std::string_view category) {
  for (long long i = sites.Count() - 1; i >= 0; --i) {
    SiteRecord r = SiteFromLine(sites.Get(i));
    if (r.Category != category) continue;
    r.Category.clear();
    sites.Put(i, FormatSiteLine(r));
  }
}

namespace {
// The line as FormatSiteLine writes it again. Lines this program wrote
// already are, and are copied as they stand; only damaged or hand-made ones
// take the full round through the record.
std::string NormalisedSiteLine(std::string_view line) {
  std::string_view rest = line;
  std::size_t fieldBytes = 0;
  for (int i = 0; i < 6; ++i) fieldBytes += CutToken(rest, "\t").size();
  const bool sixTabs = fieldBytes + 6 == line.size() - rest.size();
  if (sixTabs && rest.find('\t') == std::string_view::npos && IsScrambledForm(rest, kSitePasswordKey))
    return std::string(line);
  return FormatSiteLine(SiteFromLine(line));
}
}  // namespace

void BuildShownList(const LineList& sites, LineList& shown, std::string_view entryName) {
  BuildShownList(sites, shown, entryName, SiteFilter());
}

long long BuildShownList(const LineList& sites, LineList& shown, std::string_view entryName, const SiteFilter& filter) {
  ShownSites rows(sites);
  const long long inEntry = BuildShownList(rows, entryName, filter);
  shown.Clear();
  // The line is re-formatted as the list shows it.
  for (const std::uint32_t i : rows.Rows()) shown.Add(NormalisedSiteLine(sites.Lines()[i]));
  return inEntry;
}

long long BuildShownList(ShownSites& shown, std::string_view entryName, const SiteFilter& filter) {
  const std::vector<std::string>& lines = shown.Sites().Lines();
  std::vector<std::uint32_t> rows;
  long long inEntry = 0;
  const bool all = entryName == AllSitesEntryName();
  const bool uncategorised = entryName == UncategorisedEntryName();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // Only the category decides.
    const std::string_view category = SiteCategoryOfLine(lines[i]);
    if (!all && category != entryName && !(category.empty() && uncategorised)) continue;
    ++inEntry;
    if (filter.Matches(lines[i], i)) rows.push_back(static_cast<std::uint32_t>(i));
  }
  shown.Assign(std::move(rows));
  return inEntry;
}

}  // namespace morvane
