#pragma once
// The desktop's clipboard text as the toolbar's commands see it. The window
// installs the GTK clipboard; tests install a plain string.
#include <string>
#include <string_view>

namespace morvane {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // UTF-8, as the clipboard holds it; empty when it holds no text.
  virtual std::string GetText() = 0;
  virtual void SetText(std::string_view utf8) = 0;
};

}  // namespace morvane
