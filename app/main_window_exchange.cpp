// Exchanging sites with other tools: CSV files for spreadsheets and the
// bookmark files desktop browsers export. Nothing reaches the catalogue
// before the user has seen what a file holds and agreed.
#include <iterator>

#include "app/main_window.h"
#include "catalogue/bookmark_file.h"
#include "catalogue/site_csv.h"
#include "catalogue/site_defaults.h"
#include "catalogue/site_exchange.h"
#include "util/cp932.h"
#include "util/safe_file_writer.h"
#include "util/text_file.h"
#include "app/user_dialogs.h"

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
// Bad rows named in the question before an import; the rest are counted.
constexpr std::size_t kProblemsListed = 10;

std::optional<std::string> ReadChosen(std::string_view title, const FileFilter* filters, std::size_t count) {
  const std::optional<std::string> file = Dialogs().OpenFile(title, filters, count);
  if (!file) return std::nullopt;
  std::string bytes;
  if (!ReadWholeFile(*file, bytes)) {
    Dialogs().ShowError("ファイルを読み込めませんでした");
    return std::nullopt;
  }
  return bytes;
}

std::string Count(long long n) { return std::to_string(n) + " 件"; }

}  // namespace

void TForm1::AfterSitesMerged() {
  CatalogueChanged();
  ftSiteCategory.Rebuild(false);
  ftSiteCategory.SelectEntry(catalogue_.Tree().Selected());
  ShowSelectedEntry();
  RefreshCategoryChoices();
}

void TForm1::tbExportCSVClick() {
  const std::optional<UserDialogs::SaveChoice> choice =
      Dialogs().SaveFileWithOption("CSVファイルに書き出す", kCsvFilters, std::size(kCsvFilters), "csv",
                                   "パスワードも書き出す");
  if (!choice) return;
  // Owner-only even without passwords: login IDs and addresses are private too.
  if (!WriteFileReplacing(choice->file, SitesToCsv(catalogue_.SiteList(), choice->optionTicked), kPrivateFileMode))
    Dialogs().ShowError("エクスポートに失敗しました");
}

void TForm1::tbImportCSVClick() {
  const std::optional<std::string> bytes =
      ReadChosen("CSVファイルから読み込む", kCsvFilters, std::size(kCsvFilters));
  if (!bytes) return;
  CsvSites read = ParseSitesCsv(*bytes);
  std::string question = Count(static_cast<long long>(read.sites.size())) + "のサイトを読み込みます。";
  if (!read.problems.empty()) {
    question += "\r\n読み込めない行: " + Count(static_cast<long long>(read.problems.size()));
    for (std::size_t i = 0; i < read.problems.size() && i < kProblemsListed; ++i)
      question += "\r\n  " + std::to_string(read.problems[i].line) + " 行目: " + Cp932ToUtf8(read.problems[i].message);
  }
  if (read.sites.empty()) {
    Dialogs().ShowError(question);
    return;
  }
  // Same URL: the file's site replaces the catalogue's, as an import does.
  if (AskDeclined(question + "\r\n\r\n同じURLのサイトは上書きされます。よろしいですか？")) return;
  const SiteMergeCount count = MergeSites(catalogue_.SiteList(), catalogue_.Tree(), std::move(read.sites), true);
  AfterSitesMerged();
  Dialogs().ShowMessage(Count(count.added) + "を追加、" + Count(count.updated) + "を更新しました");
}

void TForm1::tbImportBookmarksClick() {
  const std::optional<std::string> bytes =
      ReadChosen("ブックマークのインポート", kBookmarkFilters, std::size(kBookmarkFilters));
  if (!bytes) return;
  const BookmarkFile file = ParseBookmarkFile(*bytes);

  std::vector<std::string> folders = {"（すべて）"};
  for (std::size_t i = 1; i < file.folders.size(); ++i) {
    std::string indent;
    for (int d = 1; d < file.folders[i].depth; ++d) indent += "　";
    folders.push_back(indent + Cp932ToUtf8(file.folders[i].name));
  }
  const std::optional<std::size_t> folder =
      Dialogs().ChooseItem("ブックマークのインポート", "取り込むフォルダ", folders);
  if (!folder) return;

  std::vector<std::string> categories = {UncategorisedEntryName()};
  LineList names;
  names.SetText(catalogue_.Tree().CategoryListText());
  for (const std::string& name : names.Lines()) categories.push_back(name);
  std::vector<std::string> shownCategories;
  for (const std::string& name : categories) shownCategories.push_back(Cp932ToUtf8(name));
  const std::optional<std::size_t> category =
      Dialogs().ChooseItem("ブックマークのインポート", "入れるカテゴリ", shownCategories);
  if (!category) return;

  const std::vector<SiteRecord> sites =
      file.SitesIn(*folder, *category == 0 ? std::string() : categories[*category], RegistDateNow());
  if (sites.empty()) {
    Dialogs().ShowError("取り込めるブックマークがありません");
    return;
  }
  if (AskDeclined(Count(static_cast<long long>(sites.size())) + "のブックマークを取り込みます。よろしいですか？"))
    return;
  const SiteMergeCount count = MergeSites(catalogue_.SiteList(), catalogue_.Tree(), sites, false);
  AfterSitesMerged();
  std::string message = std::to_string(count.added) + " 件を追加しました。Vexa解析URL は未設定です";
  if (count.skipped > 0)
    message += "\r\nURLが重複した " + Count(count.skipped) + "は飛ばしました";
  Dialogs().ShowMessage(message);
}

}  // namespace morvane
