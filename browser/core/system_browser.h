#pragma once
// The desktop's own web browser.
#include <string_view>

namespace morvane {

class SystemBrowser {
 public:
  virtual ~SystemBrowser() = default;
  // Hands url (CP932) over; false when no browser took it.
  virtual bool Open(std::string_view url) = 0;
};

}  // namespace morvane
