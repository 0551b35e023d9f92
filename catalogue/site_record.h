#pragma once
// The site record, its one-line form and the operations on the site list.
#include <array>
#include <string>
#include <string_view>

#include "util/line_list.h"

namespace morvane {

// Key for the passwords of the site data file.
inline constexpr std::string_view kSitePasswordKey = "#tide+arc*lump-Q";

struct SiteRecord {
  std::string SiteName;
  std::string SiteURL;
  std::string Category;  // empty: uncategorised
  std::string RegistDate;
  std::string AccessURL;
  std::string LoginID;
  std::string LoginPass;  // plain in the record, scrambled in the line

  bool operator==(const SiteRecord&) const = default;
};

struct ParsedSiteLine {
  SiteRecord record;
  std::string leftover;  // text after a seventh tab; dropped on the next format
};

ParsedSiteLine ParseSiteLine(std::string_view line);
SiteRecord SiteFromLine(std::string_view line);  // ParseSiteLine without the leftover
std::string FormatSiteLine(const SiteRecord& rec);
// The same from the record's fields in their order, the password plain.
std::string FormatSiteFields(const std::array<std::string_view, 7>& fields);

// Only the URL field of a line, without unscrambling anything.
std::string_view SiteURLOfLine(std::string_view line);
// Only the category field of a line.
std::string_view SiteCategoryOfLine(std::string_view line);

// "No", the six shown fields and "*Password*"; row counts from 0.
std::array<std::string, 8> SiteRowCells(std::string_view line, long long row);

// Error message in CP932, or empty when the record may be stored.
std::string CheckSiteInput(const SiteRecord& rec);

// A one-line field as typed: line breaks and zero bytes removed, tabs made
// spaces, so a pasted or imported value can never split a tab-separated
// record or its line, nor stop the data file from being written.
std::string FlattenField(std::string_view typed);
// FlattenField, then spaces trimmed: what the site dialog stores.
std::string CleanSiteField(std::string_view typed);
// True when FlattenField would drop or replace a byte of the text.
bool HoldsLineBreakingBytes(std::string_view text);

// Site list operations (URLs and categories compared byte for byte).
long long FindSiteByURL(const LineList& sites, std::string_view url);
void StoreSite(LineList& sites, const SiteRecord& rec);
void DeleteSiteByURL(LineList& sites, std::string_view url);
void MoveSiteToEntry(LineList& sites, SiteRecord rec, std::string_view entryName);
void UncategoriseSites(LineList& sites, std::string_view category);
void BuildShownList(const LineList& sites, LineList& shown, std::string_view entryName);
// The same, keeping only the sites the filter lets through; gives how many
// sites the entry has, filtered or not.
class SiteFilter;
long long BuildShownList(const LineList& sites, LineList& shown, std::string_view entryName, const SiteFilter& filter);
// The same as rows that refer to the lines of the site list shown is made for.
class ShownSites;
long long BuildShownList(ShownSites& shown, std::string_view entryName, const SiteFilter& filter);

// The two system entries of the category tree, in CP932.
const std::string& AllSitesEntryName();       // "すべてのサイト"
const std::string& UncategorisedEntryName();  // "未分類"

}  // namespace morvane
