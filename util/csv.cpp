#include "util/csv.h"

namespace morvane {
namespace {

bool StartsLikeFormula(std::string_view field) {
  return !field.empty() && std::string_view("=+-@\t\r").find(field.front()) != std::string_view::npos;
}

void AppendField(std::string& out, std::string_view field) {
  const bool quoted = field.find_first_of(",\"\r\n") != std::string_view::npos || StartsLikeFormula(field);
  if (!quoted) {
    out.append(field);
    return;
  }
  out.push_back('"');
  if (StartsLikeFormula(field)) out.push_back('\'');
  for (char c : field) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

}  // namespace

void AppendCsvRow(std::string& out, std::initializer_list<std::string_view> fields) {
  bool first = true;
  for (std::string_view field : fields) {
    if (!first) out.push_back(',');
    first = false;
    AppendField(out, field);
  }
  out.append("\r\n");
}

}  // namespace morvane
