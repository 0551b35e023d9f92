// morvane-demo-data: writes a demo catalogue into a data folder, every site's
// analysis page on the given (stand-in) service, so that the program can be
// tried without an account of one's own.
#include <filesystem>
#include <iostream>
#include <string>

#include "catalogue/catalogue.h"
#include "catalogue/site_defaults.h"
#include "catalogue/site_record.h"
#include "util/cp932.h"

namespace {

struct DemoSite {
  const char* name;      // UTF-8
  const char* slug;      // the site's address and its page at the service
  const char* category;  // UTF-8; "" uncategorised
  const char* loginID;   // "" uses the master login
};

constexpr DemoSite kSites[] = {
    {"山田の日記", "yamada-nikki", "ブログ", ""},
    {"東京グルメ散歩", "tokyo-gourmet", "ブログ", ""},
    {"猫と暮らす毎日", "neko-kurashi", "ブログ", ""},
    {"旅のしおり", "tabi-shiori", "ブログ", ""},
    {"雑貨店こもれび", "komorebi", "ショップ", "komorebi"},  // its own ID, the master password
    {"京都お茶の店", "kyoto-ocha", "ショップ", ""},
    {"手作り石けん工房", "sekken-kobo", "ショップ", ""},
    {"古本屋しおり堂", "shiori-do", "ショップ", ""},
    {"鉄道写真館", "tetsudo-shashin", "趣味のサイト", ""},
    {"俳句の庭", "haiku-niwa", "趣味のサイト", ""},
    {"将棋研究室", "shogi-kenkyu", "趣味のサイト", ""},
    {"テストページ", "test-page", "", ""},
};

constexpr const char* kCategories[] = {"ブログ", "ショップ", "趣味のサイト"};
constexpr const char* kMasterID = "demo";
constexpr const char* kMasterPass = "secret";  // what the stand-in service accepts

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: morvane-demo-data DATA_FOLDER SERVICE_URL\n";
    return 2;
  }
  const std::string folder = argv[1];
  std::string service = argv[2];
  while (!service.empty() && service.back() == '/') service.pop_back();

  morvane::SiteCatalogue catalogue(folder);
  if (std::filesystem::exists(catalogue.DataFilePath())) {
    std::cerr << "morvane-demo-data: " << catalogue.DataFilePath() << " exists; the demo needs a fresh folder\n";
    return 1;
  }
  for (const char* category : kCategories) catalogue.Tree().AddCategory(morvane::Utf8ToCp932(category));
  catalogue.SetMasterLogin(kMasterID, kMasterPass);
  const std::string now = morvane::RegistDateNow();
  for (const DemoSite& s : kSites) {
    morvane::SiteRecord site;
    site.SiteName = morvane::Utf8ToCp932(s.name);
    site.SiteURL = std::string("http://") + s.slug + ".example/";
    site.Category = morvane::Utf8ToCp932(s.category);
    site.RegistDate = now;
    site.AccessURL = service + "/site/" + s.slug;
    site.LoginID = s.loginID;
    morvane::StoreSite(catalogue.SiteList(), site);
  }
  if (!catalogue.SaveSiteData()) {
    std::cerr << "morvane-demo-data: cannot write " << catalogue.DataFilePath() << '\n';
    return 1;
  }
  std::cout << catalogue.DataFilePath() << '\n';
  return 0;
}
