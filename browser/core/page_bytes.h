#pragma once
// The bytes a text becomes when it is shown as a page: every line, the last
// one too, ends in CR LF whatever break it had (CR LF, CR or LF). An empty
// text gives no bytes; a break at the very end adds no empty line.
#include <string>
#include <string_view>

namespace morvane {

std::string PageBytesFromText(std::string_view text);

}  // namespace morvane
