#include "util/user_dialogs.h"

#include <cstdio>
#include <string>

namespace morvane {
namespace {

class StderrDialogs final : public UserDialogs {
 public:
  void ShowError(std::string_view message) override {
    std::fprintf(stderr, "morvane: %s\n", std::string(message).c_str());
  }
  bool AskYesNo(std::string_view message) override {
    std::fprintf(stderr, "morvane: %s (declined)\n", std::string(message).c_str());
    return false;
  }
  void ShowMessage(std::string_view message) override {
    std::fprintf(stderr, "morvane: %s\n", std::string(message).c_str());
  }
  std::optional<std::string> InputText(std::string_view, std::string_view, std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> OpenFile(std::string_view, const FileFilter*, std::size_t) override {
    return std::nullopt;
  }
  std::optional<std::string> SaveFile(std::string_view, const FileFilter*, std::size_t, std::string_view) override {
    return std::nullopt;
  }
};

StderrDialogs fallback;
UserDialogs* current = &fallback;

}  // namespace

UserDialogs& Dialogs() { return *current; }
void InstallDialogs(UserDialogs* dialogs) { current = dialogs ? dialogs : &fallback; }

bool ShowErrorUnless(std::string_view message, bool condition) {
  if (!condition) Dialogs().ShowError(message);
  return condition;
}

bool AskDeclined(std::string_view message) { return !Dialogs().AskYesNo(message); }

}  // namespace morvane
