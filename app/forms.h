#pragma once
// The program's forms, created in their fixed order (the main window first,
// then the site dialog, then the settings dialog) and set up once all exist.
#include "app/main_window.h"
#include "app/settings_dialog.h"
#include "app/site_dialog.h"

namespace morvane {

struct MorvaneForms {
  explicit MorvaneForms(MainWindowOptions options) : Form1(std::move(options)) { Form1.SetupMainWindow(Form2, Form3); }

  TForm1 Form1;
  TForm2 Form2;
  TForm3 Form3;
};

}  // namespace morvane
