#include "app/modal_runner.h"

namespace morvane {
namespace {
ModalScript& Script() {
  static ModalScript script;
  return script;
}
}  // namespace

int RunModal(Gtk::Dialog& dialog) {
  if (Script()) return Script()(dialog);
  dialog.show();
  const int response = dialog.run();
  dialog.hide();
  return response;
}

void InstallModalScript(ModalScript script) { Script() = std::move(script); }

}  // namespace morvane
