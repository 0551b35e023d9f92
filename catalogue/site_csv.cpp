#include "catalogue/site_csv.h"

#include <glib.h>

#include <algorithm>
#include <array>
#include <deque>
#include <utility>

#include "util/cp932.h"
#include "util/csv.h"
#include "util/scrambler.h"
#include "util/text_encoding.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

constexpr std::array<std::string_view, 7> kHeader = {"サイト名",    "サイトURL",  "カテゴリ",  "登録日",
                                                     "Vexa解析URL", "ログインID", "パスワード"};
constexpr int kSiteURLField = 1, kAccessURLField = 4;

// The bytes that end an unquoted field, looked up rather than compared in
// turn: this loop runs over every byte of the file.
constexpr std::array<bool, 256> kEndsUnquoted = [] {
  std::array<bool, 256> ends{};
  for (const unsigned char c : {',', '\r', '\n'}) ends[c] = true;
  return ends;
}();

bool EndsQuoted(std::string_view text, std::size_t at) {
  return at >= text.size() || text[at] == ',' || text[at] == '\r' || text[at] == '\n';
}

// ASCII is the same in CP932 and UTF-8: such a field needs no conversion.
bool HasHighByte(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

void AppendRow(std::string& out, const std::vector<std::string_view>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out.push_back(',');
    AppendCsvField(out, fields[i]);
  }
  out.append("\r\n");
}

// One row of the file, cut from the text; line counts the file's lines.
// Fields are views into the text, or, for a quoted field with doubled
// quotes, into the row's own copies. CP932 trail bytes are never a quote,
// a comma or a line break, so the bytes read the same in either encoding.
struct RowReader {
  explicit RowReader(std::string_view bytes) : text(bytes) {}

  std::string_view text;
  std::size_t pos = 0;
  long long line = 1;
  bool spanned = false;              // the last row read ran over more than one line
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

  // Back to the start of a row that turned out bad, and past its first line
  // only: the lines it took in may be good rows of their own.
  void SkipFirstLineOf(std::size_t rowStart, long long rowLine) {
    pos = rowStart;
    line = rowLine;
    SkipLine();
  }

  void CountBreaks(std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
      if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) ++line;
  }

  // A quoted field from pos, past its opening quote. It ends at a quote
  // followed by a comma, a line break or the end of the file; a quote inside
  // is doubled. Any other quote means the field was never meant to go on
  // (a stray opening quote, text after the closing one): false, so that a
  // stray quote cannot take the rows after it into its field.
  bool Quoted(std::string_view& field) {
    const std::size_t start = pos;
    std::string* copy = nullptr;
    for (;;) {
      const std::size_t quote = text.find('"', pos);
      if (quote == std::string_view::npos) return false;
      const bool doubled = quote + 1 < text.size() && text[quote + 1] == '"';
      if (!doubled && !EndsQuoted(text, quote + 1)) return false;
      CountBreaks(pos, quote);
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

  // False for a bad row; pos is then past its first line.
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
          SkipFirstLineOf(rowStart, rowLine);
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
      spanned = line != rowLine;
      SkipBreak();
      return true;
    }
  }
};

// Where each column of the file goes: a field of the site line, or -1.
struct ColumnMap {
  std::vector<int> field;
  SiteFieldSet given = 0;

  static ColumnMap Plain(std::size_t columns) {
    ColumnMap map;
    for (std::size_t i = 0; i < columns; ++i) map.field.push_back(static_cast<int>(i));
    map.given = columns == 7 ? kAllSiteFields : static_cast<SiteFieldSet>(kAllSiteFields & ~SiteField(6));
    return map;
  }
};

// The header row names the columns, in the file's encoding; one that does
// not name the URL column is a site.
std::optional<ColumnMap> HeaderColumns(const std::vector<std::string_view>& cells, bool utf8) {
  const auto name = [&](std::size_t i) { return utf8 ? kHeader[i] : std::string_view(SystemText(kHeader[i])); };
  ColumnMap map;
  for (const std::string_view cell : cells) {
    int found = -1;
    for (std::size_t i = 0; i < kHeader.size(); ++i)
      if (cell == name(i) && !(map.given & SiteField(static_cast<int>(i)))) found = static_cast<int>(i);
    map.field.push_back(found);
    if (found >= 0) map.given |= SiteField(found);
  }
  if (!(map.given & SiteField(kSiteURLField))) return std::nullopt;
  return map;
}

// A field that ends in half a double-byte character would take the tab after
// it in the site line as its second byte: that half is dropped.
void DropHalfCharacterAtEnd(std::string& field) {
  std::size_t at = 0, last = 0;
  while (at < field.size()) {
    last = at;
    at += CharWidthAt(field, at);
  }
  if (!field.empty() && last == field.size() - 1 && IsLeadByte(field[last])) field.pop_back();
}

// True when the site dialog's cleaning leaves the CP932 field as it is: no
// line break, tab or zero byte, no space at either end, no lead byte last.
bool CleanAlready(std::string_view field) {
  if (field.empty()) return true;
  if (HoldsLineBreakingBytes(field)) return false;
  const char last = field.back();
  return field[0] != ' ' && !field.starts_with("\x81\x40") && last != ' ' && last != '\x40' && !IsLeadByte(last);
}

void AddProblem(CsvSites& result, long long line, const char* message) {
  ++result.problemCount;
  if (result.problems.size() < kCsvProblemsKept) result.problems.push_back({line, SystemText(message)});
}

}  // namespace

std::string SitesToCsv(const LineList& sites, bool withPasswords) {
  const std::size_t columns = withPasswords ? 7 : 6;
  std::string out(kUtf8ByteOrderMark);
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

std::string_view SiteCsvColumnName(int field) { return kHeader.at(static_cast<std::size_t>(field)); }

std::optional<CsvEncoding> DecideCsvEncoding(std::string_view bytes) {
  const std::optional<TextEncoding> guess = GuessTextEncoding(bytes);
  if (!guess) return std::nullopt;
  return *guess == TextEncoding::Utf8 ? CsvEncoding::Utf8 : CsvEncoding::Cp932;
}

std::vector<std::string> CsvSampleNames(std::string_view bytes, CsvEncoding encoding, std::size_t count) {
  if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());
  std::vector<std::string> names;
  RowReader reader(bytes);
  std::vector<std::string_view> fields;
  const bool utf8 = encoding == CsvEncoding::Utf8;
  for (int row = 0; names.size() < count && row < 1000 && !reader.AtEnd(); ++row) {
    if (!reader.Next(fields) || fields.size() < 2 || fields[0].empty()) continue;
    if (row == 0 && HeaderColumns(fields, utf8)) continue;
    const std::string_view name = UnguardCsvField(fields[0]).substr(0, 60);
    if (!utf8) {
      names.push_back(Cp932ToUtf8(name));
    } else {
      names.push_back(ValidUtf8(name));
    }
  }
  return names;
}

CsvSites ParseSitesCsv(std::string_view bytes) {
  return ParseSitesCsv(bytes, DecideCsvEncoding(bytes).value_or(CsvEncoding::Utf8));
}

CsvSites ParseSitesCsv(std::string_view bytes, CsvEncoding encoding, CsvReadProgress* progress) {
  CsvSites result;
  if (bytes.starts_with(kUtf8ByteOrderMark)) bytes.remove_prefix(kUtf8ByteOrderMark.size());
  const bool utf8 = encoding == CsvEncoding::Utf8;
  // A row a line, as most files have.
  const auto lines = static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
  result.sites.reserve(lines);
  result.given.reserve(lines);

  RowReader reader(bytes);
  std::vector<std::string_view> fields;
  // Fields that had to be converted or cleaned; the rest stay views.
  std::array<std::string, 7> changed;
  std::array<std::string_view, 7> site;
  std::optional<ColumnMap> columns;  // from the header, or nullopt: six or seven in order
  const ColumnMap six = ColumnMap::Plain(6), seven = ColumnMap::Plain(7);
  bool first = true;
  for (std::size_t row = 0; !reader.AtEnd(); ++row) {
    if (progress && row % 4096 == 0) {
      progress->bytesRead.store(reader.pos, std::memory_order_relaxed);
      if (progress->stop.load(std::memory_order_relaxed)) {
        result.stopped = true;
        break;
      }
    }
    const std::size_t rowStart = reader.pos;
    const long long line = reader.line;
    if (!reader.Next(fields)) {
      AddProblem(result, line, "引用符の閉じ方が正しくありません");
      continue;
    }
    if (fields.size() == 1 && fields[0].empty()) continue;  // an empty line
    if (std::exchange(first, false)) {
      columns = HeaderColumns(fields, utf8);
      if (columns) continue;
    }
    const ColumnMap& map = columns ? *columns : fields.size() == 6 ? six : seven;
    if (columns ? fields.size() != columns->field.size() : fields.size() != 6 && fields.size() != 7) {
      // A quoted field that ran on over lines into a row of the wrong
      // shape took good rows in: only its first line is bad.
      if (reader.spanned) reader.SkipFirstLineOf(rowStart, line);
      AddProblem(result, line, "列の数が正しくありません");
      continue;
    }
    site.fill({});
    bool cleaned = false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
      const int target = map.field[i];
      if (target < 0) continue;
      std::string_view field = UnguardCsvField(fields[i]);
      std::string& own = changed[static_cast<std::size_t>(target)];
      if (utf8 && HasHighByte(field)) {
        const bool address = target == kSiteURLField || target == kAccessURLField;
        field = own = address ? Utf8URLToCp932(field) : Utf8ToCp932(field);
      }
      if (!CleanAlready(field)) {
        cleaned = cleaned || HoldsLineBreakingBytes(field);
        std::string tidy = CleanSiteField(field);
        DropHalfCharacterAtEnd(tidy);
        field = own = std::move(tidy);
      }
      site[static_cast<std::size_t>(target)] = field;
    }
    if (site[0].empty() || site[kSiteURLField].empty()) {
      AddProblem(result, line, "サイト名またはサイトURLがありません");
      continue;
    }
    if (cleaned) ++result.cleanedRows;
    result.sites.push_back(FormatSiteFields(site));
    result.given.push_back(map.given);
  }
  if (progress) progress->bytesRead.store(reader.pos, std::memory_order_relaxed);
  return result;
}

}  // namespace morvane
