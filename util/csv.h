#pragma once
// Comma-separated text as spreadsheets read it: UTF-8 with a byte order
// mark, fields quoted where needed with quotes doubled, rows ending CR LF.
#include <initializer_list>
#include <string>
#include <string_view>

namespace morvane {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Appends one row of UTF-8 fields. A field that a spreadsheet would run as a
// formula (one starting with =, +, -, @, a tab or a CR) gets a leading "'":
// the texts come from web pages, and a page must not put a formula into the
// user's sheet.
void AppendCsvRow(std::string& out, std::initializer_list<std::string_view> fields);

}  // namespace morvane
