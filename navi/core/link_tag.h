#pragma once
// The link tag for the shown page, made from the user's editable template.
#include <string>
#include <string_view>

namespace morvane {

// The template the toolbar starts with (the attribute name is as the program
// has always written it).
inline constexpr std::string_view kDefaultLinkTemplate = "<a href=\"{$URL}\" taget=\"_blank\">{$TEXT}</a>";

// The page's selection (UTF-8), trimmed of spaces; the page title when that
// is empty.
std::string LinkTextFor(std::string_view selection, std::string_view title);

// Every "{$URL}" of the template replaced by url and every "{$TEXT}" by text
// (exact letter case). Only the template's own placeholders are replaced: a
// placeholder inside the URL stays as it is. Nothing is escaped.
std::string MakeLinkTag(std::string_view linkTemplate, std::string_view url, std::string_view text);

}  // namespace morvane
