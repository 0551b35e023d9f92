#pragma once
// What a link check found out about one link, as the link list shows it.
#include <string>
#include <string_view>

namespace morvane {

enum class LinkHealth { NotChecked, Ok, Failing };

struct LinkStatus {
  LinkHealth health = LinkHealth::NotChecked;
  // The final answer's three digits, or why there was none: "時間切れ",
  // "接続できません", "証明書エラー", "転送が多すぎます", ...
  std::string text = std::string(kNotCheckedText);

  static constexpr std::string_view kNotCheckedText = "未確認";
};

// Only web addresses are queried; mailto:, javascript: and the rest are not.
bool IsCheckableLink(std::string_view url);

}  // namespace morvane
