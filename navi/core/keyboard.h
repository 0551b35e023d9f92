#pragma once
// Which modifier keys are held while a command runs: the page link list asks
// for keywords when Shift or Ctrl is down.
namespace morvane {

class Keyboard {
 public:
  virtual ~Keyboard() = default;
  virtual bool ShiftDown() const = 0;
  virtual bool CtrlDown() const = 0;
};

}  // namespace morvane
