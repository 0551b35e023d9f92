#pragma once
// Sites as a CSV file for spreadsheets and other tools: UTF-8 with a
// byte-order mark, CR LF rows, a header row, fields quoted where they hold a
// comma, a quote or a line break. Columns: name, URL, category, registration
// date, analysis URL, login ID, and the password only when asked for.
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/line_list.h"
#include "catalogue/site_record.h"

namespace morvane {

// The file's bytes for the site lines.
std::string SitesToCsv(const LineList& sites, bool withPasswords);

struct CsvRowProblem {
  long long line = 0;   // the file's line where the row starts, from 1
  std::string message;  // CP932
};

struct CsvSites {
  // Site lines as FormatSiteLine writes them, fields cleaned as the site
  // dialog cleans them.
  std::vector<std::string> sites;
  std::vector<CsvRowProblem> problems;
};

// Reads such a file: with or without the byte-order mark, CR LF or LF rows,
// and, without the mark, a file that is not UTF-8 is taken as CP932 (as a
// spreadsheet on a Japanese system saves it). The header row is optional. A
// row that cannot be read (an open quote, text after a closing quote, too few
// or too many columns, no name or URL) is reported and skipped; the rows
// after it are read as usual.
CsvSites ParseSitesCsv(std::string_view bytes);

}  // namespace morvane
