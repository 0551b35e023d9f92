#pragma once
// The window's status line as the frame sees it. A text setter may throw;
// the frame never lets that escape.
#include <string_view>

namespace morvane {

class StatusBar {
 public:
  virtual ~StatusBar() = default;
  virtual void SetStatusText(std::string_view text) = 0;  // CP932
};

}  // namespace morvane
