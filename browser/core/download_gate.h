#pragma once
// Whether a download a page asks for may be offered to the user at all. A
// page never writes a file by itself: a download is offered (in a save
// dialog) only in a browser that may download, and only right after an
// input of the user on the page, once per input however many the page asks
// for on it, and one at a time: while the user decides on one, the page
// cannot stack more dialogs behind it.
#include <string>
#include <string_view>

namespace morvane {

class DownloadGate {
 public:
  // An input this long ago still counts: a server may take a moment to
  // answer a click with an attachment.
  static constexpr long long kInputWindowMilliseconds = 3000;

  enum class Verdict {
    Offer,       // ask the user where to save it
    NotAllowed,  // this browser never downloads
    NoInput,     // the page asked without an input of the user
    Deciding,    // the user is deciding on another one
  };

  void Allow(bool allowed) { allowed_ = allowed; }
  bool Allowed() const { return allowed_; }
  void NoteInput(long long nowMilliseconds) {
    lastInput_ = nowMilliseconds;
    inputUsed_ = false;
  }
  // An Offer uses the input up, and stands until Decided().
  Verdict Admit(long long nowMilliseconds);
  void Decided() { deciding_ = false; }

 private:
  bool allowed_ = false;
  bool inputUsed_ = true;  // no input yet
  bool deciding_ = false;
  long long lastInput_ = 0;
};

// The file name proposed for a download (UTF-8): the last part of what the
// page suggests, or of the address's path, with nothing that would climb
// folders, hide the file or break a line; "download" when nothing is left.
std::string ProposedDownloadName(std::string_view suggestedName, std::string_view url);

}  // namespace morvane
