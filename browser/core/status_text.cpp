#include "browser/core/status_text.h"

#include "util/cp932.h"
#include "util/text_routines.h"
#include "web/url_routines.h"

namespace morvane {

bool IsScriptLink(std::string_view text) {
  const std::string t = StripTrailingSlash(text);
  std::size_t last = std::string::npos;
  for (std::size_t p = 0; p < t.size(); p += CharWidthAt(t, p)) {
    const char c = t[p];
    if (c == '.' || c == ':' || c == '\\') last = p;
  }
  return last != std::string::npos && t[last] == '.' && t.compare(last, std::string::npos, ".morvane") == 0;
}

std::string StatusDisplayText(std::string_view text) {
  if (!IsScriptLink(text)) return std::string(text);
  std::string_view rest = text;
  CutToken(rest, "/");  // the scheme and its colon
  CutToken(rest, "/");  // nothing, between the two slashes
  return SystemText("スクリプト実行：[") + std::string(CutToken(rest, "[")) + "]";
}

std::string StatusPrefix(bool skipRequest, bool busy) {
  std::string marks;
  if (skipRequest) marks += '*';
  if (busy) marks += '+';
  return marks.empty() ? marks : "[" + marks + "]";
}

}  // namespace morvane
