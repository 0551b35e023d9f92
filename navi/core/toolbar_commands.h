#pragma once
// What the navigation toolbar does, free of any toolkit: the widget forwards
// its clicks here and shows what ToolbarView is told. The commands drive the
// browser frame and, in return, are what the frame reaches as its toolbar.
#include <optional>
#include <string>
#include <string_view>

#include "browser/core/browser_frame.h"
#include "browser/core/browser_toolbar.h"
#include "navi/core/clipboard.h"
#include "navi/core/keyboard.h"
#include "navi/core/link_list.h"

namespace morvane {

// The toolbar's widgets and boxes as the commands see them. The boxes' texts
// are UTF-8; the URL box and the browse mode are CP932, as the frame takes them.
class ToolbarView {
 public:
  // An error box; the one-line input box (nullopt when cancelled).
  virtual void ShowError(std::string_view message) = 0;
  virtual std::optional<std::string> InputText(std::string_view caption, std::string_view prompt,
                                               std::string_view initial) = 0;
  virtual ~ToolbarView() = default;
  virtual std::string URLBoxText() const = 0;
  virtual void SetURLBoxText(std::string_view text) = 0;
  virtual void SetHistoryButtons(bool backEnabled, bool forwardEnabled) = 0;
  virtual void SetSkipEnabled(bool enabled) = 0;
  // The entry shown in the browse-mode box.
  virtual std::string BrowseModeText() const = 0;
  // Checks the links' statuses off the window's thread, shows the progress
  // and, once done, the list with each status.
  virtual void StartLinkCheck(PageLinkList list) = 0;
};

class ToolbarCommands final : public BrowserToolbar {
 public:
  ToolbarCommands(ToolbarView& view, Clipboard& clipboard, Keyboard& keyboard);
  // The frame must outlive the commands or be let go of first.
  ~ToolbarCommands() override { Detach(); }
  ToolbarCommands(const ToolbarCommands&) = delete;
  ToolbarCommands& operator=(const ToolbarCommands&) = delete;

  // Takes the frame over: shows a blank page (waiting), installs the two
  // hooks (keeping the frame's earlier new-window hook to call after ours),
  // becomes the frame's toolbar (the skip action following its busy state)
  // and resets the link template.
  void AttachBrowser(BrowserFrame& frame);
  // Gives the frame back its earlier new-window hook and no toolbar.
  void Detach();
  BrowserFrame* Frame() const { return frame_; }
  void SetClipboard(Clipboard& clipboard) { clipboard_ = &clipboard; }
  void SetKeyboard(Keyboard& keyboard) { keyboard_ = &keyboard; }

  // The browser buttons.
  void GoBack();
  void GoForward();
  void Reload();
  void GoHome();
  void Stop();
  // The URL box's text trimmed of spaces, "about:blank" when none are left.
  void GoToTypedURL();
  void Skip();

  // The URL menu.
  void GoToClipboardURL();
  void GoToSelectedURL();  // throws PageAccessError without a document
  void ShowClipboardAsPage();
  // IndexCheck Tag 0-5; other Tags do nothing.
  void OpenIndexCheck(int tag);

  // Clipboard copies.
  void CopyHTMLSource();
  void CopySelection();  // throws PageAccessError without a document
  void CopyURL();

  // Link tags (throw PageAccessError without a document, clipboard untouched).
  void CopyLinkTag();
  void CopyLinkTagWithTypedText();
  void EditLinkTemplate();
  const std::string& LinkTemplate() const { return linkTemplate_; }  // UTF-8
  // The page link list: shown as a page, or copied when copy is set. Shift
  // and Ctrl ask for the text and URL keywords first.
  void MakePageLinkList(bool copy);
  // The same list, handed to the view to check every link's status.
  void CheckPageLinks();

  // What the frame reaches here.
  void ClickStop() override { Stop(); }
  void BusyChanged(bool busy) override { view_.SetSkipEnabled(busy); }
  void SetURLText(std::string_view url) override;

 private:
  void UpdateHistoryButtons(BrowserFrame& frame);
  void RefreshBrowseMode(BrowserFrame& frame);
  BrowserFrame& frame();
  std::string LinkText();
  // The shown page's address as UTF-8 (characters CP932 lacks escaped).
  std::string PageAddress();
  PageLinkList BuildLinkList();
  // The keyword dialog when the key is down: the remembered keyword,
  // changed on OK; empty when the key is up.
  std::string KeywordFor(bool keyDown, std::string_view caption, std::string& remembered);

  ToolbarView& view_;
  Clipboard* clipboard_;
  Keyboard* keyboard_;
  BrowserFrame* frame_ = nullptr;
  BrowserFrame::Hook previousNewWindowHook_;
  std::string linkTemplate_;
  std::string anchorKeyword_;
  std::string urlKeyword_;
};

}  // namespace morvane
