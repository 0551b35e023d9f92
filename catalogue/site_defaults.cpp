#include "catalogue/site_defaults.h"

#include <cstdio>

#include "util/cp932.h"
#include "util/text_routines.h"

namespace morvane {

std::string DefaultSiteName(std::string_view htmlSource) {
  std::string text(htmlSource);
  // CutBefore leaves a text without its marker as it is.
  CutBefore(text, SystemText("利用パーツ一覧(TOP)"));
  CutBefore(text, SystemText("アクセス解析"));
  if (CharPos("]", text) > 0) text = CutBefore(text, "]");
  if (CharPos("[", text) == 0) return {};
  CutBefore(text, "[");
  return text;
}

std::string RegistDateText(const std::tm& t) {
  char buffer[80];
  std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
  return buffer;
}

std::string RegistDateNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return RegistDateText(local);
}

}  // namespace morvane
