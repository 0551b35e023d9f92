#pragma once
// The desktop's clipboard text as the toolbar's commands see it. The window
// installs the GTK clipboard; tests install a plain string.
#include <string>
#include <string_view>

namespace morvane {

class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // CP932; empty when the clipboard holds no text.
  virtual std::string GetText() = 0;
  // The text as an address: characters with no CP932 form kept escaped.
  virtual std::string GetURLText() { return GetText(); }
  virtual void SetText(std::string_view cp932) = 0;
};

}  // namespace morvane
