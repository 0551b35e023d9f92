#pragma once
// How a status text of the control becomes the status line.
#include <string>
#include <string_view>

namespace morvane {

// A link to one of our own scripts: its extension, after one trailing "/"
// is ignored, is exactly ".morvane".
bool IsScriptLink(std::string_view text);

// "スクリプト実行：[" + the path between the scheme's "//" and any "[" + "]",
// for a text that IsScriptLink accepts; other texts come back unchanged.
std::string StatusDisplayText(std::string_view text);

// "[" + "*" (skip-wait requested) + "+" (busy) + "]", or empty without marks.
std::string StatusPrefix(bool skipRequest, bool busy);

}  // namespace morvane
