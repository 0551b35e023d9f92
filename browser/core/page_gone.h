#pragma once
// The page the browser shows in place of one whose process has ended: what
// happened, and a link that loads the page again.
#include <string>
#include <string_view>

namespace morvane {

// CP932 HTML; url (CP932) is the address of the page that was lost. Only a
// web address gets a link.
std::string PageGoneNotice(std::string_view url);

}  // namespace morvane
