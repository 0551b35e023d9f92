#include "browser/core/page_gone.h"

#include "util/cp932.h"
#include "web/html_routines.h"
#include "web/scan_views.h"

namespace morvane {

std::string PageGoneNotice(std::string_view url) {
  const std::string& heading = SystemText("ブラウザの表示プロセスが終了しました");
  std::string page = "<html><head><meta charset=\"Shift_JIS\"><title>" + heading + "</title></head><body><h1>" +
                     heading + "</h1><p>" + SystemText("ページを表示していたプロセスが終了しました。") + "</p>";
  if (scan::StartsWithNoCase(url, "http://") || scan::StartsWithNoCase(url, "https://")) {
    page += "<p><a id=\"reload\" href=\"";
    AppendHTMLEscaped(page, url, true);
    page += "\">" + SystemText("再読み込み") + "</a></p><p>";
    AppendHTMLEscaped(page, url, false);
    page += "</p>";
  }
  return page + "</body></html>";
}

}  // namespace morvane
