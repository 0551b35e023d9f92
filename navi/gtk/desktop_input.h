#pragma once
// The desktop's clipboard and modifier keys for the toolbar's commands.
#include "navi/core/clipboard.h"
#include "navi/core/keyboard.h"

namespace morvane {

class GtkClipboardText final : public Clipboard {
 public:
  std::string GetText() override;
  void SetText(std::string_view utf8) override;
};

// The keys held with the event being handled (the menu click), or failing
// that the keyboard's state now.
class GtkKeyboard final : public Keyboard {
 public:
  bool ShiftDown() const override;
  bool CtrlDown() const override;
};

}  // namespace morvane
