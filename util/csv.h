#pragma once
// Comma-separated text as spreadsheets read it: UTF-8 with a byte order
// mark, fields quoted where needed with quotes doubled, rows ending CR LF.
#include <initializer_list>
#include <string>
#include <string_view>

namespace morvane {

inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Appends one field. A field that a spreadsheet would run as a formula (one
// starting with =, +, -, @, a tab or a CR, after any apostrophes) gets a
// leading "'": the texts come from web pages and other people's files, and
// they must not put a formula into the user's sheet. Quoted where it holds a
// comma, a quote or a line break, or is guarded.
void AppendCsvField(std::string& out, std::string_view field);
// Appends one row of UTF-8 fields, each as AppendCsvField writes it.
void AppendCsvRow(std::string& out, std::initializer_list<std::string_view> fields);
// A field as read back: the apostrophe AppendCsvField put before a formula
// is taken off again, so what was written comes back as it was.
std::string_view UnguardCsvField(std::string_view field);

}  // namespace morvane
