#pragma once
// Hands a URL to the desktop's default web browser.
#include "browser/core/system_browser.h"

namespace morvane {

class DesktopBrowser final : public SystemBrowser {
 public:
  bool Open(std::string_view url) override;
};

}  // namespace morvane
