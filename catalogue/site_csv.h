#pragma once
// Sites as a CSV file for spreadsheets and other tools: UTF-8 with a
// byte-order mark, CR LF rows, a header row, fields quoted where they hold a
// comma, a quote or a line break, and a field that a spreadsheet would run
// as a formula guarded by an apostrophe. Columns: name, URL, category,
// registration date, analysis URL, login ID, and the password only when
// asked for.
#include <atomic>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/site_exchange.h"
#include "catalogue/site_record.h"
#include "util/line_list.h"

namespace morvane {

// The file's bytes for the site lines.
std::string SitesToCsv(const LineList& sites, bool withPasswords);
// The header of the column of a site field (0..6), in UTF-8.
std::string_view SiteCsvColumnName(int field);

enum class CsvEncoding { Utf8, Cp932 };

// The file's encoding, judged on the whole file: with the mark or clean
// UTF-8, UTF-8; clean CP932 that does not look like UTF-8 with a few bad
// bytes, CP932 (as a spreadsheet on a Japanese system saves it); nullopt
// when neither reading is clean, for the user to say.
std::optional<CsvEncoding> DecideCsvEncoding(std::string_view bytes);
// The names of the first few sites read that way, in UTF-8, for the user to
// see which reading is right.
std::vector<std::string> CsvSampleNames(std::string_view bytes, CsvEncoding encoding, std::size_t count);

struct CsvRowProblem {
  long long line = 0;   // the file's line where the row starts, from 1
  std::string message;  // CP932
};

// Row problems kept with their line; the rest are only counted, so a file
// of nothing but bad rows costs no more memory than a good one.
inline constexpr std::size_t kCsvProblemsKept = 100;

// Shared with a reader on another thread: how far it is, and a request to stop.
struct CsvReadProgress {
  std::atomic<std::size_t> bytesRead{0};
  std::atomic<bool> stop{false};
};

struct CsvSites {
  // Site lines as FormatSiteLine writes them, fields cleaned as the site
  // dialog cleans them; a field the file has no column for is empty.
  std::vector<std::string> sites;
  std::vector<SiteFieldSet> given;      // per site, the fields the file has columns for
  std::vector<CsvRowProblem> problems;  // the first kCsvProblemsKept
  long long problemCount = 0;
  // Rows with a line break, tab or zero byte inside a field: a site line
  // cannot hold them, so they were dropped (tabs made spaces).
  long long cleanedRows = 0;
  bool stopped = false;  // the reader was asked to stop; what was read so far is here
};

// Reads such a file: with or without the byte-order mark, CR LF or LF rows.
// The header row is optional; with it, columns may come in any order, and
// columns it does not name are left out. Without it a row has six columns
// (no password) or seven. A row that cannot be read (a quote that does not
// close on its line and is not really continued, text after a closing
// quote, too few or too many columns, no name or URL) is reported and
// skipped; the rows after it are read as usual. An address takes a
// character with no CP932 form as the percent-escapes of its UTF-8 bytes.
CsvSites ParseSitesCsv(std::string_view bytes, CsvEncoding encoding, CsvReadProgress* progress = nullptr);
// The same in the encoding DecideCsvEncoding gives, UTF-8 when it is unclear.
CsvSites ParseSitesCsv(std::string_view bytes);

}  // namespace morvane
