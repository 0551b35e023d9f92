#pragma once

namespace morvane {
// Parses the command line, builds the window and runs until it closes.
int RunApplication(int argc, char** argv);
}  // namespace morvane
