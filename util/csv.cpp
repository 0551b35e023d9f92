#include "util/csv.h"

namespace morvane {
namespace {

bool IsFormulaStart(char c) { return std::string_view("=+-@\t\r").find(c) != std::string_view::npos; }

// Apostrophes count as part of the guard: "'=x" is written "''=x", so that
// taking one apostrophe off on reading gives it back exactly.
bool NeedsGuard(std::string_view field) {
  const std::size_t after = field.find_first_not_of('\'');
  return after != std::string_view::npos && IsFormulaStart(field[after]);
}

bool NeedsQuotes(std::string_view field) {
  for (const char c : field)
    if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
  return false;
}

}  // namespace

void AppendCsvField(std::string& out, std::string_view field) {
  const bool guarded = NeedsGuard(field);
  if (!guarded && !NeedsQuotes(field)) {
    out.append(field);
    return;
  }
  out.push_back('"');
  if (guarded) out.push_back('\'');
  for (char c : field) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

void AppendCsvRow(std::string& out, std::initializer_list<std::string_view> fields) {
  bool first = true;
  for (std::string_view field : fields) {
    if (!first) out.push_back(',');
    first = false;
    AppendCsvField(out, field);
  }
  out.append("\r\n");
}

std::string_view UnguardCsvField(std::string_view field) {
  if (field.starts_with('\'') && NeedsGuard(field.substr(1))) field.remove_prefix(1);
  return field;
}

}  // namespace morvane
