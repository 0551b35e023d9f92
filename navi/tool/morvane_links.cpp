// morvane-links: the page link list of a saved page, or the search URL of an
// index or backlink check, on the command line.
#include <glib.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "navi/core/index_check.h"
#include "navi/core/link_list.h"
#include "util/cp932.h"
#include "util/terminal_text.h"
#include "util/text_encoding.h"

namespace {

constexpr int kOk = 0, kFailed = 1, kUsage = 2;

constexpr const char* kUsageText =
    "Usage:\n"
    "  morvane-links PAGE.html BASE_URL [--anchor-keyword K] [--url-keyword K]\n"
    "                [--format html|tsv] [--encoding cp932|utf-8]\n"
    "  morvane-links --index-check TAG URL\n"
    "\n"
    "Prints the sorted link list of a saved page (html: the three-block page,\n"
    "tsv: one URL<TAB>text line per link), always as UTF-8. In tsv output a\n"
    "field never holds a tab, a line break or a control character: they are\n"
    "written as \\t, \\r, \\n, \\xHH or \\u00HH, and a backslash as \\\\.\n"
    "The page is read as --encoding; without it a page that is valid UTF-8\n"
    "is read as UTF-8, any other as CP932.\n"
    "TAG: yahoo-index, google-index, bing-index, yahoo-backlinks,\n"
    "google-backlinks, bing-backlinks, or the menu Tag 0-5.\n";

int UsageError(std::string_view message) {
  std::cerr << "morvane-links: " << message << "\n\n" << kUsageText;
  return kUsage;
}

std::optional<morvane::IndexCheck> ParseCheck(std::string_view tag) {
  static constexpr std::string_view kNames[] = {"yahoo-index",     "google-index",     "bing-index",
                                                "yahoo-backlinks", "google-backlinks", "bing-backlinks"};
  for (int i = 0; i < 6; ++i)
    if (tag == kNames[i] || tag == std::to_string(i)) return morvane::IndexCheckFromTag(i);
  return std::nullopt;
}

int RunIndexCheck(const std::vector<std::string_view>& args) {
  if (args.size() != 3) return UsageError("--index-check takes TAG and URL");
  const auto check = ParseCheck(args[1]);
  if (!check) return UsageError("unknown TAG '" + std::string(args[1]) + "'");
  std::cout << morvane::IndexCheckURL(*check, morvane::Utf8URLToCp932(args[2])) << '\n';
  return kOk;
}

struct LinkOptions {
  std::string page, baseURL, anchorKeyword, urlKeyword;
  bool tsv = false;
  std::optional<bool> utf8Page;
};

// Fills options from the arguments; a message on a usage error.
std::optional<std::string> ParseLinkOptions(const std::vector<std::string_view>& args, LinkOptions& o) {
  std::vector<std::string_view> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view a = args[i];
    if (!a.starts_with("--")) {
      positional.push_back(a);
      continue;
    }
    if (i + 1 >= args.size()) return "option " + std::string(a) + " needs a value";
    const std::string_view v = args[++i];
    if (a == "--anchor-keyword") o.anchorKeyword = v;
    else if (a == "--url-keyword") o.urlKeyword = v;
    else if (a == "--format" && (v == "html" || v == "tsv")) o.tsv = v == "tsv";
    else if (a == "--encoding" && (v == "cp932" || v == "utf-8")) o.utf8Page = v == "utf-8";
    else if (a == "--format" || a == "--encoding") return "bad value '" + std::string(v) + "' for " + std::string(a);
    else return "unknown option " + std::string(a);
  }
  if (positional.size() != 2) return std::string("PAGE.html and BASE_URL are needed");
  o.page = positional[0];
  o.baseURL = positional[1];
  return std::nullopt;
}

// The whole file, or why it could not be read.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string& out) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return std::strerror(errno);
  char buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
  const int error = std::ferror(f) ? errno : 0;
  std::fclose(f);
  if (error != 0) return std::strerror(error);
  return std::nullopt;
}

int RunLinkList(const std::vector<std::string_view>& args) {
  LinkOptions o;
  if (auto problem = ParseLinkOptions(args, o)) return UsageError(*problem);

  std::string source;
  if (auto problem = ReadWholeFile(o.page, source)) {
    std::cerr << "morvane-links: cannot read " << o.page << ": " << *problem << '\n';
    return kFailed;
  }
  const bool utf8Page =
      o.utf8Page.value_or(g_utf8_validate(source.data(), static_cast<gssize>(source.size()), nullptr));
  // The list works in UTF-8, as the toolbar's does with the page it is given.
  source = utf8Page ? morvane::ValidUtf8(source) : morvane::Cp932ToUtf8(source);

  // Arguments come from a UTF-8 terminal. The base is an address: what CP932
  // lacks is escaped, as the browser's address is.
  const morvane::PageLinkList list = morvane::BuildPageLinkList(
      source, morvane::MarkOutsideCp932(morvane::ValidUtf8(o.baseURL), morvane::OutsideCp932::kPercentEscapes),
      morvane::ValidUtf8(o.anchorKeyword), morvane::ValidUtf8(o.urlKeyword));
  if (o.tsv) {
    // A page's link text could otherwise retitle the terminal, write to the
    // clipboard or add columns.
    for (const std::string& entry : list.entries) {
      const std::size_t tab = entry.find('\t');  // the URL never holds one
      const std::string_view url = std::string_view(entry).substr(0, tab);
      const std::string_view text =
          tab == std::string::npos ? std::string_view() : std::string_view(entry).substr(tab + 1);
      std::cout << morvane::EscapeTsvField(url) << '\t' << morvane::EscapeTsvField(text) << '\n';
    }
  } else {
    std::cout << morvane::ControlsAsCharacterReferences(list.Page()) << '\n';
  }
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "morvane-links: cannot write the output\n";
    return kFailed;
  }
  return kOk;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.empty()) return UsageError("no arguments");
  if (args[0] == "--help" || args[0] == "-h") {
    std::cout << kUsageText;
    return kOk;
  }
  if (args[0] == "--index-check") return RunIndexCheck(args);
  return RunLinkList(args);
}
