#pragma once
// Calls into the shown page. The page scripts themselves live with the engine;
// the frame names one, hands it named arguments and reads back a plain value.
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace morvane {

// null, boolean, number, text or a list of values. Texts are CP932, but for
// the scripts that read the page's own text (see HandsUtf8).
struct PageValue {
  using List = std::vector<PageValue>;
  std::variant<std::monostate, bool, double, std::string, List> v;

  PageValue() = default;
  PageValue(bool b) : v(b) {}
  PageValue(double d) : v(d) {}
  PageValue(int i) : v(static_cast<double>(i)) {}
  PageValue(std::string s) : v(std::move(s)) {}
  PageValue(const char* s) : v(std::string(s)) {}
  PageValue(List l) : v(std::move(l)) {}

  bool IsNull() const { return std::holds_alternative<std::monostate>(v); }
  const std::string* Text() const { return std::get_if<std::string>(&v); }
  const List* Items() const { return std::get_if<List>(&v); }
  const double* Number() const { return std::get_if<double>(&v); }
  const bool* Boolean() const { return std::get_if<bool>(&v); }
};

enum class PageScript {
  Source,        // markup inside the root element, or null without one
  Selection,     // text of the selection, or null without a document
  Forms,         // [[form name|null, [field name|null, ...]], ...]
  SetField,      // name, value, formName ('' for any), passOver -> true when set
  FindElements,  // kind, byTag, match -> [[index, match value], ...]
  ClickElement,  // index, kind, byTag, match, expected -> true when clicked
};

// The source and the selection come back as the page holds them (UTF-8), so
// nothing outside CP932 is lost before it must become CP932.
inline bool HandsUtf8(PageScript script) { return script == PageScript::Source || script == PageScript::Selection; }

struct PageArgument {
  std::string name;
  PageValue value;
};

// A script call in flight; its result arrives through the event loop.
class PageCall {
 public:
  virtual ~PageCall() = default;
  virtual bool Done() const = 0;
  // The value once done; nullopt when the script failed or was cancelled.
  virtual std::optional<PageValue> Result() const = 0;
  virtual void Cancel() = 0;
};

}  // namespace morvane
