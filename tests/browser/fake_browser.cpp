#include "fake_browser.h"

#include <algorithm>
#include <cctype>

namespace morvane::testing {
namespace {

const PageValue* Arg(const std::vector<PageArgument>& args, std::string_view name) {
  for (const PageArgument& a : args)
    if (a.name == name) return &a.value;
  return nullptr;
}

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
  return s;
}

std::string KindOf(const FakeElement& e, bool byTag) {
  if (byTag) return Lower(e.tag);
  auto it = e.values.find("type");
  return it == e.values.end() ? "" : Lower(it->second);
}

PageValue Run(FakeEngine& engine, PageScript script, const std::vector<PageArgument>& args) {
  switch (script) {
    case PageScript::Source:
      return engine.source ? PageValue(*engine.source) : PageValue();
    case PageScript::Selection:
      return engine.selection ? PageValue(*engine.selection) : PageValue();
    case PageScript::Forms: {
      PageValue::List forms;
      for (const FakeForm& f : engine.forms) {
        PageValue::List names;
        for (const FakeField& field : f.fields) names.push_back(field.name ? PageValue(*field.name) : PageValue());
        forms.push_back(PageValue::List{f.name ? PageValue(*f.name) : PageValue(), PageValue(names)});
      }
      return forms;
    }
    case PageScript::SetField: {
      auto& field = engine.forms.at(static_cast<std::size_t>(*Arg(args, "form")->Number()))
                        .fields.at(static_cast<std::size_t>(*Arg(args, "field")->Number()));
      if (!field.settable || field.name != *Arg(args, "name")->Text()) return false;
      field.value = *Arg(args, "value")->Text();
      return true;
    }
    case PageScript::FindElements: {
      PageValue::List found;
      const bool byTag = *Arg(args, "byTag")->Boolean();
      for (std::size_t i = 0; i < engine.elements.size(); ++i) {
        const FakeElement& e = engine.elements[i];
        if (KindOf(e, byTag) != *Arg(args, "kind")->Text()) continue;
        auto it = e.values.find(*Arg(args, "match")->Text());
        found.push_back(PageValue::List{static_cast<int>(i), it == e.values.end() ? "" : it->second});
      }
      return found;
    }
    case PageScript::ClickElement: {
      const int index = static_cast<int>(*Arg(args, "index")->Number());
      engine.clicked.push_back(index);
      if (engine.onClick) engine.onClick(index);
      return true;
    }
  }
  return {};
}

}  // namespace

std::unique_ptr<PageCall> FakeEngine::CallPage(PageScript script, std::vector<PageArgument> args) {
  ++pageCalls;
  if (pageHangs) return std::make_unique<FakeCall>(false, std::nullopt, cancelledCalls);
  return std::make_unique<FakeCall>(true, Run(*this, script, args), cancelledCalls);
}

}  // namespace morvane::testing
