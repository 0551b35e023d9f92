#pragma once
// What a link check found out about one link, as the link list shows it.
#include <string>
#include <string_view>

namespace morvane {

enum class LinkHealth { NotChecked, Ok, Failing };

struct LinkStatus {
  LinkHealth health = LinkHealth::NotChecked;
  // The final answer's three digits, or why there was none: "time-out",
  // "refused", "bad certificate", "redirect loop", ...
  std::string text = std::string(kNotCheckedText);

  static constexpr std::string_view kNotCheckedText = "not checked";
};

// Only web addresses are queried; mailto:, javascript: and the rest are not.
bool IsCheckableLink(std::string_view url);

}  // namespace morvane
