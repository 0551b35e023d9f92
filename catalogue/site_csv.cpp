#include "catalogue/site_csv.h"

#include <glib.h>

#include <algorithm>
#include <array>
#include <deque>
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

// The bytes that end an unquoted field, looked up rather than compared in
// turn: this loop runs over every byte of the file.
constexpr std::array<bool, 256> kEndsUnquoted = [] {
  std::array<bool, 256> ends{};
  for (const unsigned char c : {',', '\r', '\n'}) ends[c] = true;
  return ends;
}();

// ASCII is the same in CP932 and UTF-8: such a field needs no conversion.
bool HasHighByte(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

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
// Fields are views into the text, or, for a quoted field with doubled
// quotes, into the row's own copies.
struct RowReader {
  explicit RowReader(std::string_view bytes) : text(bytes) {}

  std::string_view text;
  std::size_t pos = 0;
  long long line = 1;
  std::deque<std::string> unquoted;  // stays put as it grows, unlike a vector

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

  void CountBreaks(std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
      if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
  }

  // A quoted field from pos, past its opening quote; false when it never closes.
  bool Quoted(std::string_view& field) {
    const std::size_t start = pos;
    std::string* copy = nullptr;
    for (;;) {
      const std::size_t quote = text.find('"', pos);
      if (quote == std::string_view::npos) return false;
      CountBreaks(pos, quote);
      const bool doubled = quote + 1 < text.size() && text[quote + 1] == '"';
      if (!copy && !doubled) {
        field = text.substr(start, quote - start);
        pos = quote + 1;
        return true;
      }
      if (!copy) copy = &unquoted.emplace_back(text.substr(start, quote - start));
      else copy->append(text.substr(pos, quote - pos));
      pos = quote + 1;
      if (!doubled) break;
      copy->push_back('"');
      ++pos;
    }
    field = *copy;
    return true;
  }

  // False for a bad row; pos is then past it (past its first line when a
  // quote stayed open, so the rest of the file is still read).
  bool Next(std::vector<std::string_view>& fields) {
    fields.clear();
    unquoted.clear();
    const std::size_t rowStart = pos;
    const long long rowLine = line;
    for (;;) {
      std::string_view field;
      if (pos < text.size() && text[pos] == '"') {
        ++pos;
        if (!Quoted(field)) {
          pos = rowStart;
          line = rowLine;
          SkipLine();
          return false;
        }
        if (pos < text.size() && text[pos] != ',' && text[pos] != '\r' && text[pos] != '\n') {
          SkipLine();
          return false;
        }
      } else {
        std::size_t stop = pos;
        while (stop < text.size() && !kEndsUnquoted[static_cast<unsigned char>(text[stop])]) ++stop;
        field = text.substr(pos, stop - pos);
        pos = stop;
      }
      fields.push_back(field);
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
bool IsHeader(const std::vector<std::string_view>& fields) {
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
    for (std::size_t i = 0; i < columns; ++i)
      if (HasHighByte(views[i])) views[i] = cells[i] = Cp932ToUtf8(views[i]);
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

// True when the site dialog's cleaning leaves the CP932 field as it is: no
// line break or tab, no space at either end, no lead byte last.
static bool CleanAlready(std::string_view field) {
  if (field.empty()) return true;
  for (const char c : field)
    if (c == '\r' || c == '\n' || c == '\t') return false;
  const char last = field.back();
  return field[0] != ' ' && !field.starts_with("\x81\x40") && last != ' ' && last != '\x40' && !IsLeadByte(last);
}

CsvSites ParseSitesCsv(std::string_view bytes) {
  CsvSites result;
  const bool marked = bytes.starts_with(kByteOrderMark);
  if (marked) bytes.remove_prefix(kByteOrderMark.size());
  const bool utf8 = marked || g_utf8_validate(bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
  // A row a line, as most files have.
  result.sites.reserve(static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1);

  RowReader reader(bytes);
  std::vector<std::string_view> fields;
  // Fields that had to be converted or cleaned; the rest stay views.
  std::array<std::string, 7> changed;
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
    for (std::size_t i = 0; i < fields.size(); ++i) {
      std::string_view& field = fields[i];
      if (utf8 && HasHighByte(field)) field = changed[i] = Utf8ToCp932(field);
      if (CleanAlready(field)) continue;
      std::string cleaned = CleanSiteField(field);
      DropHalfCharacterAtEnd(cleaned);
      field = changed[i] = std::move(cleaned);
    }
    if (wasFirst && IsHeader(fields)) continue;
    if (fields[0].empty() || fields[1].empty()) {
      problem("サイト名またはサイトURLがありません");
      continue;
    }
    fields.resize(7);  // no password column: no password
    result.sites.push_back(FormatSiteFields(
        {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6]}));
  }
  return result;
}

}  // namespace morvane
