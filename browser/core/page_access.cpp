// Reading and filling the shown page. The page scripts report what the
// document holds and act on one element; which element is clicked is decided
// here, which field is filled by the script that fills it.
#include <array>
#include <new>

#include "browser/core/browser_frame.h"
#include "browser/core/page_bytes.h"
#include "browser/core/wait_limits.h"
#include "util/cp932.h"
#include "util/text_routines.h"
#include "web/html_routines.h"

namespace morvane {
namespace {

using namespace wait_limits;

// How ClickElement recognises each kind of element: by its tag name or its
// type, and which of its values the match text is looked for in.
struct ElementKind {
  std::string_view kind;
  bool byTag;
  std::string_view match;
};
constexpr std::array<ElementKind, 4> kElementKinds{{
    {"submit", false, "caption"},
    {"button", false, "caption"},
    {"image", false, "src"},
    {"a", true, "href"},
}};

const ElementKind* FindKind(std::string_view kind) {
  for (const ElementKind& k : kElementKinds)
    if (k.kind == kind) return &k;
  return nullptr;
}

std::vector<PageArgument> KindArguments(const ElementKind& k) {
  return {{"kind", std::string(k.kind)}, {"byTag", k.byTag}, {"match", std::string(k.match)}};
}

}  // namespace

std::optional<PageValue> BrowserFrame::CallPage(PageScript script, std::vector<PageArgument> args) {
  std::unique_ptr<PageCall> call;
  lastCallEnd_ = CallEnd::Failed;
  try {
    call = engine_.CallPage(script, std::move(args));
  } catch (const std::bad_alloc&) {
    return std::nullopt;  // no memory to start it: no answer
  }
  if (!call) return std::nullopt;
  const WaitEnd end = PumpWhile([&call] { return !call->Done(); }, kScriptPasses, GiveWay::ToNewStopOrSkip);
  if (end == WaitEnd::Done) {
    std::optional<PageValue> result = call->Result();
    lastCallEnd_ = result ? CallEnd::Answered : CallEnd::Failed;
    return result;
  }
  call->Cancel();
  switch (end) {
    case WaitEnd::Stopped: lastCallEnd_ = CallEnd::Stopped; break;
    case WaitEnd::Skipped: lastCallEnd_ = CallEnd::Skipped; break;
    case WaitEnd::Terminated: lastCallEnd_ = CallEnd::Terminated; break;
    case WaitEnd::PageProcessEnded: lastCallEnd_ = CallEnd::PageProcessEnded; break;
    default: lastCallEnd_ = CallEnd::TimedOut; break;
  }
  return std::nullopt;
}

std::string BrowserFrame::GetLocationURL() const { return engine_.LocationURL(); }

std::string BrowserFrame::GetHTMLSourceUtf8() {
  lastCallEnd_ = CallEnd::Answered;  // no document is a page without source
  if (!engine_.HasDocument()) return {};
  const std::optional<PageValue> source = CallPage(PageScript::Source, {});
  return source && source->Text() ? *source->Text() : std::string();
}

std::string BrowserFrame::GetPageTitleUtf8() { return ExtractTitle(GetHTMLSourceUtf8(), TextEncoding::kUtf8); }

std::string BrowserFrame::GetSelectedTextUtf8() {
  if (!engine_.HasDocument()) throw PageAccessError("ページが表示されていません");
  const std::optional<PageValue> text = CallPage(PageScript::Selection, {});
  if (!text || !text->Text()) throw PageAccessError("選択されたテキストがありません");
  return *text->Text();
}

// Converted once, where the catalogue's CP932 is needed.
std::string BrowserFrame::GetHTMLSource() { return Utf8ToCp932(GetHTMLSourceUtf8()); }
std::string BrowserFrame::GetPageTitle() { return Utf8ToCp932(GetPageTitleUtf8()); }
std::string BrowserFrame::GetSelectedText() { return Utf8ToCp932(GetSelectedTextUtf8()); }

void BrowserFrame::ShowHTML(std::string_view text) {
  stopRequest_ = false;
  SetBusy(true);
  // Both waits are bounded: a control that never settles must not hold the window.
  PumpWhile([this] { return engine_.Busy(); }, kShowPasses, GiveWay::ToStop);
  if (!engine_.HasDocument()) PumpWhile([this] { return !engine_.ReadyStateComplete(); }, kShowPasses, GiveWay::ToStop);
  SetBusy(false);
  if (!engine_.HasDocument()) return;
  std::string bytes = PageBytesFromText(text);
  // The engine leaves the old page shown for a page of no bytes at all.
  if (bytes.empty()) bytes = "\r\n";
  engine_.LoadBytes(std::move(bytes));
}

bool BrowserFrame::SetFieldValue(std::string_view name, std::string_view value, std::string_view formName,
                                 int passOver) {
  return FillField(name, value, formName, passOver, {}) == FillResult::Filled;
}

BrowserFrame::FillResult BrowserFrame::FillField(std::string_view name, std::string_view value,
                                                 std::string_view formName, int passOver,
                                                 const std::vector<std::string>& origins) {
  lastCallEnd_ = CallEnd::Answered;
  if (!WaitForDocument(kDocumentMilliseconds) || name.empty()) return FillResult::NoField;
  // Origins never hold a space; none at all means any page.
  std::string accepted;
  for (const std::string& origin : origins) {
    if (origin.empty()) continue;
    if (!accepted.empty()) accepted += ' ';
    accepted += origin;
  }
  if (!origins.empty() && accepted.empty()) return FillResult::OtherPage;
  const std::optional<PageValue> set = CallPage(PageScript::SetField, {{"name", std::string(name)},
                                                                       {"value", std::string(value)},
                                                                       {"formName", std::string(formName)},
                                                                       {"passOver", static_cast<double>(passOver)},
                                                                       {"origins", accepted}});
  if (!set) return FillResult::NoAnswer;
  if (set->Text()) return FillResult::OtherPage;
  return set->Boolean() && *set->Boolean() ? FillResult::Filled : FillResult::NoField;
}

std::vector<double> BrowserFrame::MatchingElements(std::string_view kind, std::string_view matchText, bool exact) {
  std::vector<double> indices;
  lastCallEnd_ = CallEnd::Answered;
  if (!engine_.HasDocument()) return indices;
  const ElementKind* k = FindKind(kind);
  if (!k) return indices;
  const std::optional<PageValue> found = CallPage(PageScript::FindElements, KindArguments(*k));
  if (!found || !found->Items()) return indices;
  for (const PageValue& candidate : *found->Items()) {
    const PageValue::List* pair = candidate.Items();
    if (!pair || pair->size() < 2) continue;
    const double* index = (*pair)[0].Number();
    const std::string* matchValue = (*pair)[1].Text();
    if (!index || !matchValue) continue;
    if (CharPos(matchText, *matchValue) == 0) continue;
    if (exact && matchText != *matchValue) continue;
    indices.push_back(*index);
  }
  return indices;
}

bool BrowserFrame::HasElement(std::string_view kind, std::string_view matchText, bool exact) {
  return !MatchingElements(kind, matchText, exact).empty();
}

bool BrowserFrame::HasField(std::string_view name) {
  lastCallEnd_ = CallEnd::Answered;
  if (name.empty() || !engine_.HasDocument()) return false;
  const std::optional<PageValue> forms = CallPage(PageScript::Forms, {});
  if (!forms || !forms->Items()) return false;
  for (const PageValue& form : *forms->Items()) {
    const PageValue::List* parts = form.Items();
    if (!parts || parts->size() < 2 || !(*parts)[1].Items()) continue;
    for (const PageValue& field : *(*parts)[1].Items())
      if (field.Text() && *field.Text() == name) return true;
  }
  return false;
}

bool BrowserFrame::ClickElement(std::string_view kind, std::string_view matchText, bool exact, bool wait) {
  bool result = false;
  lastWaitEnd_ = WaitEnd::Done;  // no wait of this click yet
  for (double index : MatchingElements(kind, matchText, exact)) {
    if (!engine_.HasDocument()) continue;
    pageComplete_ = false;
    stopRequest_ = false;
    skipRequest_ = false;  // cleared before the click, so an error page that answers it quickly is not lost
    loadProcessEnds_ = pageProcessEnds_;
    loadError_.clear();
    queriedStatus_.clear();
    if (engine_.Busy()) PumpWhile([] { return true; }, kBusyClickPauseMilliseconds / kPassMilliseconds, GiveWay::Never);
    std::vector<PageArgument> args = KindArguments(*FindKind(kind));
    args.push_back({"index", index});
    const std::optional<PageValue> clicked = CallPage(PageScript::ClickElement, std::move(args));
    if (!clicked || !clicked->Boolean() || !*clicked->Boolean()) continue;
    SetBusy(true);
    if (wait) return WaitUntilComplete(kNavigatePasses);
    SetBusy(false);
    result = true;
  }
  return result;
}

}  // namespace morvane
