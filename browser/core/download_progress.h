#pragma once
// A download the user agreed to, as the download strip shows it: its name,
// how far it is and how it ended.
#include <cstdint>
#include <string>

namespace morvane {

struct DownloadProgress {
  enum class State { Running, Done, Failed, Cancelled };
  int id = 0;
  std::string name;  // the chosen file's name (UTF-8)
  std::string file;  // the chosen file, in the file system's encoding
  std::uint64_t received = 0;
  std::uint64_t total = 0;  // 0 when the server does not say
  State state = State::Running;
};

// "1.5 MB / 10.0 MB", or only what has come when the size is not known.
std::string DownloadSizeText(std::uint64_t received, std::uint64_t total);
// What the strip says of a download's state: "" while it runs.
std::string DownloadStateText(DownloadProgress::State state);

}  // namespace morvane
