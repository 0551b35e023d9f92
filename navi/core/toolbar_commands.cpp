#include "navi/core/toolbar_commands.h"

#include <stdexcept>

#include "navi/core/index_check.h"
#include "navi/core/link_tag.h"
#include "util/cp932.h"
#include "util/text_routines.h"
#include "web/scan_views.h"

namespace morvane {

ToolbarCommands::ToolbarCommands(ToolbarView& view, Clipboard& clipboard, Keyboard& keyboard)
    : view_(view), clipboard_(&clipboard), keyboard_(&keyboard) {}

void ToolbarCommands::AttachBrowser(BrowserFrame& frame) {
  Detach();
  frame_ = &frame;
  frame.NavigateTo("about:blank", true);
  frame.SetCommandStateHook([this](BrowserFrame& f) { UpdateHistoryButtons(f); });
  previousNewWindowHook_ = frame.NewWindowHook();
  frame.SetNewWindowHook([this](BrowserFrame& f) { RefreshBrowseMode(f); });
  frame.SetToolbar(this);
  view_.SetSkipEnabled(frame.BusyState());
  linkTemplate_ = kDefaultLinkTemplate;
}

void ToolbarCommands::Detach() {
  if (!frame_) return;
  frame_->SetCommandStateHook(nullptr);
  frame_->SetNewWindowHook(std::move(previousNewWindowHook_));
  previousNewWindowHook_ = nullptr;
  if (frame_->Toolbar() == this) frame_->SetToolbar(nullptr);
  frame_ = nullptr;
}

BrowserFrame& ToolbarCommands::frame() {
  // The widget only offers its buttons once it has been attached.
  if (!frame_) throw std::logic_error("toolbar used before AttachBrowser");
  return *frame_;
}

void ToolbarCommands::UpdateHistoryButtons(BrowserFrame& f) { view_.SetHistoryButtons(f.BackFlag(), f.ForwardFlag()); }

void ToolbarCommands::RefreshBrowseMode(BrowserFrame& f) {
  // Read at every request, so a change of the box counts from the next one.
  f.SetBrowseMode(BrowseModeNamed(view_.BrowseModeText()));
  if (previousNewWindowHook_) previousNewWindowHook_(f);
}

void ToolbarCommands::SetURLText(std::string_view url) { view_.SetURLBoxText(url); }

void ToolbarCommands::GoBack() { frame().Engine().GoBack(); }
void ToolbarCommands::GoForward() { frame().Engine().GoForward(); }
void ToolbarCommands::Reload() { frame().Engine().Reload(); }
void ToolbarCommands::GoHome() { frame().Engine().GoHome(); }
void ToolbarCommands::Stop() { frame().StopNavigation(); }
void ToolbarCommands::Skip() { frame().RequestSkip(); }

void ToolbarCommands::GoToTypedURL() {
  std::string url = TrimSpaces(view_.URLBoxText());
  if (url.empty()) url = "about:blank";
  frame().NavigateTo(url, false);
}

void ToolbarCommands::GoToClipboardURL() {
  view_.SetURLBoxText(Utf8URLToCp932(clipboard_->GetText()));
  Stop();
  GoToTypedURL();
}

void ToolbarCommands::GoToSelectedURL() {
  const std::string selected = frame().GetSelectedTextUtf8();
  const std::string_view url = scan::TrimView(selected, TextEncoding::kUtf8);
  if (url.empty()) {
    view_.ShowError("選択部分がありません");
    return;
  }
  Stop();
  frame().NavigateTo(Utf8URLToCp932(url), false);
}

void ToolbarCommands::ShowClipboardAsPage() { frame().ShowHTML(Utf8HtmlToCp932(clipboard_->GetText())); }

void ToolbarCommands::OpenIndexCheck(int tag) {
  const std::optional<IndexCheck> check = IndexCheckFromTag(tag);
  if (check) frame().NavigateTo(IndexCheckURL(*check, frame().GetLocationURL()), false);
}

// The page's own texts go to the clipboard as the page had them.
void ToolbarCommands::CopyHTMLSource() { clipboard_->SetText(frame().GetHTMLSourceUtf8()); }
void ToolbarCommands::CopySelection() { clipboard_->SetText(frame().GetSelectedTextUtf8()); }
void ToolbarCommands::CopyURL() { clipboard_->SetText(PageAddress()); }

std::string ToolbarCommands::PageAddress() { return Cp932ToUtf8(frame().GetLocationURL()); }

std::string ToolbarCommands::LinkText() {
  return LinkTextFor(frame().GetSelectedTextUtf8(), frame().GetPageTitleUtf8());
}

// A tag goes into the user's own pages, which may well be CP932: a character
// CP932 lacks goes in as a character reference.
void ToolbarCommands::CopyLinkTag() {
  const std::string url = PageAddress();
  const std::string text = MarkOutsideCp932(LinkText(), OutsideCp932::kCharacterReferences);
  clipboard_->SetText(MakeLinkTag(linkTemplate_, url, text));
}

void ToolbarCommands::CopyLinkTagWithTypedText() {
  const std::string url = PageAddress();
  const std::optional<std::string> text =
      view_.InputText("リンクテキストの入力", "リンクテキストを入力してください", LinkText());
  if (!text) return;
  const std::string_view trimmed = scan::TrimView(*text, TextEncoding::kUtf8);
  clipboard_->SetText(MakeLinkTag(linkTemplate_, url, MarkOutsideCp932(trimmed, OutsideCp932::kCharacterReferences)));
}

void ToolbarCommands::EditLinkTemplate() {
  const std::optional<std::string> entered =
      view_.InputText("リンクタグの作成", "リンクタグを入力してください", linkTemplate_);
  if (entered && !entered->empty()) linkTemplate_ = *entered;
}

std::string ToolbarCommands::KeywordFor(bool keyDown, std::string_view caption, std::string& remembered) {
  if (!keyDown) return {};
  if (std::optional<std::string> entered = view_.InputText(caption, "キーワードを入力してください", remembered))
    remembered = std::move(*entered);
  return remembered;
}

PageLinkList ToolbarCommands::BuildLinkList() {
  const std::string source = frame().GetHTMLSourceUtf8();
  // A page that did not answer is not a page without links.
  if (!frame().PageAnswered()) throw PageAccessError("ページを読み取れませんでした。リンク集を作成できません");
  const std::string baseURL = PageAddress();
  const std::string anchorKeyword =
      KeywordFor(keyboard_->ShiftDown(), "検索抽出語を設定(アンカーテキスト)", anchorKeyword_);
  const std::string urlKeyword = KeywordFor(keyboard_->CtrlDown(), "検索抽出語を設定(URL)", urlKeyword_);
  return BuildPageLinkList(source, baseURL, anchorKeyword, urlKeyword);
}

void ToolbarCommands::CheckPageLinks() { view_.StartLinkCheck(BuildLinkList()); }

void ToolbarCommands::MakePageLinkList(bool copy) {
  const std::string page = BuildLinkList().Page();
  if (copy) clipboard_->SetText(page);
  else frame().ShowHTML(Utf8HtmlToCp932(page));
}

}  // namespace morvane
