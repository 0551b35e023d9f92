// Downloads the page asks for: offered to the user in a save dialog right
// after an input of theirs on the page, dropped with a word otherwise.
#include "browser/core/browser_frame.h"
#include "util/cp932.h"

namespace morvane {

void BrowserFrame::OnUserInput() { downloads_.NoteInput(pump_.NowMilliseconds()); }

void BrowserFrame::OnDownload(const DownloadRequest& request, DownloadAnswer answer) {
  std::string name = ProposedDownloadName(request.suggestedName, request.url);
  const DownloadGate::Verdict verdict = !request.inputOnThisPage && downloads_.Allowed()
                                            ? DownloadGate::Verdict::NoInput
                                            : downloads_.Admit(pump_.NowMilliseconds());
  switch (verdict) {
    case DownloadGate::Verdict::Offer: break;
    case DownloadGate::Verdict::NotAllowed: answer(std::nullopt); return;
    case DownloadGate::Verdict::NoInput:
      answer(std::nullopt);
      ShowOutcome(SystemText("クリックなしのダウンロードを止めました: ") + Utf8ToCp932(name));
      return;
    case DownloadGate::Verdict::Deciding:
      answer(std::nullopt);
      ShowOutcome(SystemText("保存を確認中のため、ダウンロードを止めました: ") + Utf8ToCp932(name));
      return;
  }
  // The dialog runs from the event loop, never inside the engine's event.
  pump_.Post([answers = statusAnswers_, name = std::move(name), answer = std::move(answer)] {
    std::optional<DownloadTarget> target;
    if (BrowserFrame* frame = answers->frame; frame && frame->downloadChooser_) target = frame->downloadChooser_(name);
    // The dialog ran an event loop of its own: the frame may have gone.
    if (BrowserFrame* frame = answers->frame) frame->downloads_.Decided();
    answer(std::move(target));
  });
}

}  // namespace morvane
