#pragma once
// What the frame reaches in the navigation toolbar when one is attached.
#include <string_view>

namespace morvane {

class BrowserToolbar {
 public:
  virtual ~BrowserToolbar() = default;
  // Runs the stop button's click, as if the user had pressed it.
  virtual void ClickStop() = 0;
  // The frame's busy state has changed: the skip action is enabled exactly
  // while the frame is busy.
  virtual void BusyChanged(bool busy) = 0;
  virtual void SetURLText(std::string_view url) = 0;
};

}  // namespace morvane
