#include "catalogue/site_csv.h"

#include <glib.h>

#include <algorithm>
#include <array>
#include <utility>

#include "util/cp932.h"
#include "util/scrambler.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::array<std::string_view, 7> kHeader = {"サイト名",    "サイトURL",  "カテゴリ", "登録日",
                                                     "Vexa解析URL", "ログインID", "パスワード"};

// A byte that ends an unquoted field, or that needs quotes around it. Tested
// byte by byte: find_first_of would search the set once per byte.
bool IsSpecial(char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; }

void AppendField(std::string& out, std::string_view field) {
  if (std::none_of(field.begin(), field.end(), IsSpecial)) {
    out.append(field);
    return;
  }
  out.push_back('"');
  for (char c : field) {
    if (c == '"') out.push_back('"');
    out.push_back(c);
  }
  out.push_back('"');
}

void AppendRow(std::string& out, const std::vector<std::string_view>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out.push_back(',');
    AppendField(out, fields[i]);
  }
  out.append("\r\n");
}

// One row of the file, cut from the text; line counts the file's lines.
struct RowReader {
  std::string_view text;
  std::size_t pos = 0;
  long long line = 1;

  bool AtEnd() const { return pos >= text.size(); }

  // Skips one line break at pos: CR LF, LF or a lone CR.
  bool SkipBreak() {
    if (pos < text.size() && text[pos] == '\r') {
      pos += pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
    } else if (pos < text.size() && text[pos] == '\n') {
      ++pos;
    } else {
      return false;
    }
    ++line;
    return true;
  }

  // Past the end of the physical line pos is on, after a bad row.
  void SkipLine() {
    while (pos < text.size() && text[pos] != '\r' && text[pos] != '\n') ++pos;
    SkipBreak();
  }

  // False for a bad row; pos is then past it (past its first line when a
  // quote stayed open, so the rest of the file is still read).
  bool Next(std::vector<std::string>& fields) {
    fields.clear();
    const std::size_t rowStart = pos;
    const long long rowLine = line;
    for (;;) {
      std::string field;
      if (pos < text.size() && text[pos] == '"') {
        ++pos;
        for (;;) {
          const std::size_t quote = text.find('"', pos);
          if (quote == std::string_view::npos) {
            pos = rowStart;
            line = rowLine;
            SkipLine();
            return false;
          }
          for (std::size_t i = pos; i < quote; ++i)
            if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
          field.append(text.substr(pos, quote - pos));
          pos = quote + 1;
          if (pos < text.size() && text[pos] == '"') {
            field.push_back('"');
            ++pos;
            continue;
          }
          break;
        }
        if (pos < text.size() && text[pos] != ',' && text[pos] != '\r' && text[pos] != '\n') {
          SkipLine();
          return false;
        }
      } else {
        std::size_t stop = pos;
        while (stop < text.size() && (!IsSpecial(text[stop]) || text[stop] == '"')) ++stop;
        field.assign(text.substr(pos, stop - pos));
        pos = stop;
      }
      fields.push_back(std::move(field));
      if (pos < text.size() && text[pos] == ',') {
        ++pos;
        continue;
      }
      SkipBreak();
      return true;
    }
  }
};

// Fields in CP932, whichever encoding the file had.
bool IsHeader(const std::vector<std::string>& fields) {
  if (fields.size() != 6 && fields.size() != 7) return false;
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (fields[i] != SystemText(kHeader[i])) return false;
  return true;
}

}  // namespace

std::string SitesToCsv(const LineList& sites, bool withPasswords) {
  const std::size_t columns = withPasswords ? 7 : 6;
  std::string out(kByteOrderMark);
  out.reserve(static_cast<std::size_t>(sites.Count()) * 160 + 64);
  AppendRow(out, std::vector<std::string_view>(kHeader.begin(), kHeader.begin() + static_cast<long>(columns)));
  // The fields are cut from the line as it stands, not parsed into a record.
  std::vector<std::string> cells(columns);
  std::vector<std::string_view> views(columns);
  std::string password;
  for (const std::string& line : sites.Lines()) {
    std::string_view rest = line;
    for (std::size_t i = 0; i < 6; ++i) views[i] = CutToken(rest, "\t");
    if (withPasswords) views[6] = password = UnscrambleField(CutToken(rest, "\t"), kSitePasswordKey);
    for (std::size_t i = 0; i < columns; ++i) views[i] = cells[i] = Cp932ToUtf8(views[i]);
    AppendRow(out, views);
  }
  return out;
}

// A field that ends in half a double-byte character would take the tab after
// it in the site line as its second byte: that half is dropped.
static void DropHalfCharacterAtEnd(std::string& field) {
  std::size_t at = 0, last = 0;
  while (at < field.size()) {
    last = at;
    at += CharWidthAt(field, at);
  }
  if (!field.empty() && last == field.size() - 1 && IsLeadByte(field[last])) field.pop_back();
}

CsvSites ParseSitesCsv(std::string_view bytes) {
  CsvSites result;
  const bool marked = bytes.starts_with(kByteOrderMark);
  if (marked) bytes.remove_prefix(kByteOrderMark.size());
  const bool utf8 = marked || g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
  const auto toCp932 = [utf8](std::string_view field) { return utf8 ? Utf8ToCp932(field) : std::string(field); };

  RowReader reader{bytes};
  std::vector<std::string> fields;
  bool first = true;
  while (!reader.AtEnd()) {
    const long long line = reader.line;
    const auto problem = [&](const char* message) { result.problems.push_back({line, SystemText(message)}); };
    if (!reader.Next(fields)) {
      problem("引用符の閉じ方が正しくありません");
      continue;
    }
    const bool wasFirst = std::exchange(first, false);
    if (fields.size() == 1 && fields[0].empty()) continue;  // an empty line
    if (fields.size() != 6 && fields.size() != 7) {
      problem("列の数が正しくありません");
      continue;
    }
    for (std::string& field : fields) {
      field = CleanSiteField(toCp932(field));
      DropHalfCharacterAtEnd(field);
    }
    if (wasFirst && IsHeader(fields)) continue;
    SiteRecord r;
    std::string* targets[] = {&r.SiteName, &r.SiteURL, &r.Category, &r.RegistDate,
                              &r.AccessURL, &r.LoginID, &r.LoginPass};
    for (std::size_t i = 0; i < fields.size(); ++i) *targets[i] = std::move(fields[i]);
    if (r.SiteName.empty() || r.SiteURL.empty()) {
      problem("サイト名またはサイトURLがありません");
      continue;
    }
    result.sites.push_back(std::move(r));
  }
  return result;
}

}  // namespace morvane
