#include "util/component_stocker.h"

#include <charconv>

#include "util/text_routines.h"

namespace morvane {
namespace {

constexpr std::string_view kPropsTagSuffix = "\t_Props_\t";

bool SameIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

}  // namespace

std::optional<int> ParseDecimal(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

void ComponentStocker::DefineProperty(std::string component, std::string property, TextGetter get, TextSetter set) {
  for (Accessor& a : accessors_) {
    if (a.component == component && SameIgnoringCase(a.property, property)) {
      a = Accessor{std::move(component), std::move(property), std::move(get), std::move(set)};
      return;
    }
  }
  accessors_.push_back(Accessor{std::move(component), std::move(property), std::move(get), std::move(set)});
}

void ComponentStocker::DefineIntProperty(std::string component, std::string property, std::function<int()> get,
                                         std::function<void(int)> set) {
  DefineProperty(
      std::move(component), std::move(property), [get = std::move(get)] { return std::to_string(get()); },
      [set = std::move(set)](std::string_view text) { set(ParseDecimal(text).value_or(0)); });
}

int ComponentStocker::AddRegistration(std::string_view component, std::string_view property, std::string_view tagName) {
  StockedProperty data{std::string(component), std::string(property), std::string(tagName)};
  if (data.TagName.empty()) data.TagName = data.component + "." + data.property;
  registrations_.push_back(std::move(data));
  return Count() - 1;
}

const ComponentStocker::Accessor* ComponentStocker::Find(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  const StockedProperty& data = registrations_[index];
  for (const Accessor& a : accessors_)
    if (a.component == data.component && SameIgnoringCase(a.property, data.property)) return &a;
  return nullptr;
}

std::string ComponentStocker::GetValue(int index) const {
  const Accessor* a = Find(index);
  return a && a->get ? a->get() : std::string();
}

void ComponentStocker::SetValue(int index, std::string_view text) {
  const Accessor* a = Find(index);
  if (a && a->set) a->set(text);
}

std::string ComponentStocker::SaveToText() const {
  std::string text;
  for (int i = 0; i < Count(); ++i)
    text.append(WrapTagBlock(registrations_[i].TagName + std::string(kPropsTagSuffix), GetValue(i))).append("\r\n");
  return text;
}

void ComponentStocker::LoadFromText(std::string_view text) {
  std::string source(text);
  for (int i = 0; i < Count(); ++i) {
    const std::string& tag = registrations_[i].TagName;
    if (CharPos(tag, source) == 0) continue;
    SetValue(i, ExtractTagBlock(source, tag + std::string(kPropsTagSuffix), false));
  }
}

}  // namespace morvane
