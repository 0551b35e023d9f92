// Exchanging sites with other tools: CSV files for spreadsheets and the
// bookmark files desktop browsers export. Nothing reaches the catalogue
// before the user has seen what a file holds and agreed. A large file is
// read on a worker thread behind a progress box with 中止; the catalogue
// itself is changed only here, on the GUI thread.
#include <filesystem>
#include <iterator>

#include "app/main_window.h"
#include "app/work_progress.h"
#include "catalogue/bookmark_file.h"
#include "catalogue/site_csv.h"
#include "catalogue/site_defaults.h"
#include "catalogue/site_exchange.h"
#include "util/cp932.h"
#include "util/safe_file_writer.h"
#include "util/text_file.h"
#include "util/user_dialogs.h"

namespace morvane {
namespace {

const FileFilter kCsvFilters[] = {
    {"CSVファイル(*.csv)", "*.csv"},
    {"すべてのファイル(*.*)", "*"},
};
const FileFilter kBookmarkFilters[] = {
    {"ブックマークファイル(*.html)", "*.htm*"},
    {"すべてのファイル(*.*)", "*"},
};
constexpr std::string_view kCsvTitle = "CSVファイルから読み込む";
constexpr std::string_view kBookmarkTitle = "ブックマークのインポート";
// Bad rows named in the question before an import; the rest are counted.
constexpr std::size_t kProblemsListed = 10;
// Smaller files are read at once: the progress box would only flash.
constexpr std::uintmax_t kReadInBackgroundBytes = 1 << 20;

std::string Count(long long n) { return std::to_string(n) + " 件"; }
std::string Count(std::size_t n) { return Count(static_cast<long long>(n)); }

std::uintmax_t FileSize(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

// Runs work at once for a small file, behind the progress box for a large
// one. False when the user stopped it.
bool Run(Gtk::Window& parent, std::string_view caption, std::uintmax_t size, const BackgroundWork& work,
         std::string_view text = "読み込んでいます…") {
  if (size <= kReadInBackgroundBytes) {
    work.run();
    return true;
  }
  return RunWithProgress(parent, caption, text, work);
}

// The merge of a large file is worked out off this thread, behind the
// progress box, and only put in place here. Meanwhile the catalogue is only
// read: the box is a dialog of ours, so nothing that changes it runs. A stop
// waits for the work and drops it: nothing changes. nullopt then.
std::optional<SiteMergeCount> MergeOffThread(Gtk::Window& parent, std::string_view caption, std::uintmax_t size,
                                             SiteCatalogue& catalogue, std::vector<std::string>&& lines,
                                             bool updateExisting, std::vector<SiteFieldSet> given = {}) {
  PreparedMerge merge;
  const auto prepare = [&] {
    merge = PrepareMerge(catalogue.SiteList(), std::move(lines), updateExisting, std::move(given));
  };
  if (!Run(parent, caption, size, {prepare, nullptr, nullptr}, "取り込んでいます…")) return std::nullopt;
  return catalogue.ApplyMerge(std::move(merge));
}

std::string Joined(const std::vector<std::string>& texts, std::string_view separator) {
  std::string out;
  for (const std::string& text : texts) out += (out.empty() ? "" : std::string(separator)) + text;
  return out;
}

// Neither reading of the file is clean: the user sees a few names both ways
// and says which is right, or cancels.
std::optional<CsvEncoding> AskCsvEncoding(std::string_view bytes) {
  const std::vector<std::string> ways = {"UTF-8: " + Joined(CsvSampleNames(bytes, CsvEncoding::Utf8, 3), "、"),
                                         "Shift_JIS: " + Joined(CsvSampleNames(bytes, CsvEncoding::Cp932, 3), "、")};
  const std::optional<std::size_t> way = Dialogs().ChooseItem(
      "CSVファイルの文字コード",
      "文字コードを判別できません（どちらで読んでも正しくない文字があります）。\n名前が正しく読める方を選んでください",
      ways);
  if (!way) return std::nullopt;
  return *way == 0 ? CsvEncoding::Utf8 : CsvEncoding::Cp932;
}

// The file's sites, or nullopt when it could not be read or the user
// cancelled (said where it was not the user's doing). What the import would
// change in sites is worked out along with the reading, into plan.
std::optional<CsvSites> ReadCsvFile(Gtk::Window& parent, const std::string& path, const LineList& sites,
                                    SiteMergeCount& plan) {
  const std::uintmax_t size = FileSize(path);
  std::string bytes;
  bool readable = true;
  std::optional<CsvEncoding> encoding;
  CsvSites read;
  CsvReadProgress progress;
  const auto fraction = [&] {
    return size ? static_cast<double>(progress.bytesRead.load()) / static_cast<double>(size) : -1.0;
  };
  const auto stop = [&] { progress.stop = true; };
  const auto readAll = [&] {
    readable = ReadWholeFile(path, bytes);
    if (readable) encoding = DecideCsvEncoding(bytes);
    if (readable && encoding) read = ParseSitesCsv(bytes, *encoding, &progress);
    if (readable && encoding && !read.stopped) plan = CountMerge(sites, read.sites, true);
  };
  if (!Run(parent, kCsvTitle, size, {readAll, fraction, stop})) return std::nullopt;
  if (!readable) {
    Dialogs().ShowError("ファイルを読み込めませんでした");
    return std::nullopt;
  }
  if (!encoding) {
    encoding = AskCsvEncoding(bytes);
    if (!encoding) return std::nullopt;
    const auto readAs = [&] {
      read = ParseSitesCsv(bytes, *encoding, &progress);
      plan = CountMerge(sites, read.sites, true);
    };
    if (!Run(parent, kCsvTitle, size, {readAs, fraction, stop})) return std::nullopt;
  }
  if (read.stopped) return std::nullopt;
  return read;
}

std::string MissingColumns(const std::vector<SiteFieldSet>& given) {
  SiteFieldSet everywhere = kAllSiteFields;
  for (const SiteFieldSet g : given) everywhere &= g;
  std::vector<std::string> names;
  for (int field = 0; field < 7; ++field)
    if (!(everywhere & SiteField(field))) names.emplace_back(SiteCsvColumnName(field));
  return Joined(names, "・");
}

std::string CsvQuestion(const CsvSites& read, const SiteMergeCount& plan) {
  std::string question = Count(read.sites.size()) + "のサイトを読み込みます。";
  if (!read.sites.empty()) question += "\r\n" + Count(plan.added) + "を追加、" + Count(plan.updated) + "を更新します。";
  if (plan.repeated > 0)
    question += "\r\nファイルの中で同じURLが重なった " + Count(plan.repeated) + "は、前の行と一つにします。";
  if (const std::string missing = MissingColumns(read.given); !missing.empty())
    question += "\r\nファイルにない列（" + missing + "）は、更新するサイトでは今のままです。";
  if (read.cleanedRows > 0) question += "\r\n改行・タブ・NUL を取り除いた行: " + Count(read.cleanedRows);
  if (read.problemCount > 0) {
    question += "\r\n読み込めない行: " + Count(read.problemCount);
    for (std::size_t i = 0; i < read.problems.size() && i < kProblemsListed; ++i)
      question += "\r\n  " + std::to_string(read.problems[i].line) + " 行目: " + Cp932ToUtf8(read.problems[i].message);
    if (read.problemCount > static_cast<long long>(kProblemsListed))
      question += "\r\n  ほか " + Count(read.problemCount - static_cast<long long>(kProblemsListed));
  }
  return question;
}

}  // namespace

void TForm1::tbExportCSVClick() {
  const std::optional<UserDialogs::SaveChoice> choice = Dialogs().SaveFileWithOption(
      "CSVファイルに書き出す", kCsvFilters, std::size(kCsvFilters), "csv", "パスワードも書き出す");
  if (!choice) return;
  // Owner-only even without passwords: login IDs and addresses are private too.
  if (!WriteFileReplacing(choice->file, SitesToCsv(catalogue_.SiteList(), choice->optionTicked), kPrivateFileMode))
    Dialogs().ShowError("エクスポートに失敗しました");
}

void TForm1::tbImportCSVClick() {
  const std::optional<std::string> file = Dialogs().OpenFile(kCsvTitle, kCsvFilters, std::size(kCsvFilters));
  if (!file) return;
  SiteMergeCount plan;
  std::optional<CsvSites> read = ReadCsvFile(*this, *file, catalogue_.SiteList(), plan);
  if (!read) return;
  const std::string question = CsvQuestion(*read, plan);
  if (read->sites.empty()) {
    Dialogs().ShowError(question);
    return;
  }
  // Same URL: the file's site replaces the catalogue's, as an import does.
  if (AskDeclined(question + "\r\n\r\n同じURLのサイトは上書きされます。よろしいですか？")) return;
  if (!KeepCatalogueFirst(DataFileWrite::Import)) return;  // sites are written over
  const std::optional<SiteMergeCount> merged = MergeOffThread(*this, kCsvTitle, FileSize(*file), catalogue_,
                                                              std::move(read->sites), true, std::move(read->given));
  if (!merged) return;
  const SiteMergeCount& count = *merged;
  std::string message = Count(count.added) + "を追加、" + Count(count.updated) + "を更新しました";
  if (count.repeated > 0) message += "\r\n同じURLが重なった " + Count(count.repeated) + "は一つにしました";
  if (read->cleanedRows > 0) message += "\r\n改行・タブ・NUL を取り除いた行: " + Count(read->cleanedRows);
  Dialogs().ShowMessage(message);
}

void TForm1::tbImportBookmarksClick() {
  const std::optional<std::string> path =
      Dialogs().OpenFile(kBookmarkTitle, kBookmarkFilters, std::size(kBookmarkFilters));
  if (!path) return;
  std::string bytes;
  bool readable = true;
  BookmarkFile file;
  // The reader has no stop of its own: a stop waits for it and drops what it read.
  const auto readAll = [&] {
    readable = ReadWholeFile(*path, bytes);
    if (readable) file = ParseBookmarkFile(bytes);
  };
  if (!Run(*this, kBookmarkTitle, FileSize(*path), {readAll, nullptr, nullptr})) return;
  if (!readable) {
    Dialogs().ShowError("ファイルを読み込めませんでした");
    return;
  }

  std::vector<std::string> folders = {"（すべて）"};
  folders.reserve(file.folders.size());
  for (std::size_t i = 1; i < file.folders.size(); ++i) {
    std::string indent;
    for (int d = 1; d < file.folders[i].depth; ++d) indent += "　";
    folders.push_back(indent + Cp932ToUtf8(file.folders[i].name));
  }
  const std::optional<std::size_t> folder = Dialogs().ChooseFromLongList(kBookmarkTitle, "取り込むフォルダ", folders);
  if (!folder) return;

  std::vector<std::string> categories = {UncategorisedEntryName()};
  LineList names;
  names.SetText(catalogue_.Tree().CategoryListText());
  for (const std::string& name : names.Lines()) categories.push_back(name);
  std::vector<std::string> shownCategories;
  for (const std::string& name : categories) shownCategories.push_back(Cp932ToUtf8(name));
  const std::optional<std::size_t> category = Dialogs().ChooseItem(kBookmarkTitle, "入れるカテゴリ", shownCategories);
  if (!category) return;

  std::vector<std::string> lines;
  for (const SiteRecord& site :
       file.SitesIn(*folder, *category == 0 ? std::string() : categories[*category], RegistDateNow()))
    lines.push_back(FormatSiteLine(site));
  if (lines.empty()) {
    Dialogs().ShowError("取り込めるブックマークがありません");
    return;
  }
  const SiteMergeCount plan = CountMerge(catalogue_.SiteList(), lines, false);
  std::string question = Count(lines.size()) + "のブックマークを取り込みます（" + Count(plan.added) + "を追加";
  if (plan.skipped + plan.repeated > 0)
    question += "、URLが重複した " + Count(plan.skipped + plan.repeated) + "は飛ばします";
  if (AskDeclined(question + "）。よろしいですか？")) return;
  const std::optional<SiteMergeCount> merged =
      MergeOffThread(*this, kBookmarkTitle, FileSize(*path), catalogue_, std::move(lines), false);
  if (!merged) return;
  const SiteMergeCount& count = *merged;
  std::string message = std::to_string(count.added) + " 件を追加しました。Vexa解析URL は未設定です";
  if (count.skipped + count.repeated > 0)
    message += "\r\nURLが重複した " + Count(count.skipped + count.repeated) + "は飛ばしました";
  if (file.tooLong > 0) message += "\r\n8 KB を超えるURLの " + Count(file.tooLong) + "は取り込みませんでした";
  if (file.cleaned > 0) message += "\r\nNUL などサイトに入れられない文字を取り除いたもの: " + Count(file.cleaned);
  Dialogs().ShowMessage(message);
}

}  // namespace morvane
