#include "util/settings_file.h"

#include "util/text_file.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

constexpr std::string_view kMultiLineTagSuffix = "\t_QZTags_\t";

std::string MultiLineTag(std::string_view key) { return std::string(key) + std::string(kMultiLineTagSuffix); }

}  // namespace

SettingsFile::SettingsFile(std::string fileName) : fileName_(std::move(fileName)) {}

int SettingsFile::StockComponent(std::string_view component, std::string_view property, std::string_view tagName) {
  return stocker_.AddRegistration(component, property, tagName);
}

bool SettingsFile::LoadSettings() {
  if (!RegularFileExists(fileName_)) return false;
  LoadSettingsText(LoadTextFile(fileName_));
  return true;
}

void SettingsFile::LoadSettingsText(std::string text) {
  rawText_ = std::move(text);
  std::string rest = rawText_;
  keyValues_.SetText(CutBefore(rest, kKeyValuesDivider));
  multiLine_ = CutBefore(rest, kMultiLineDivider);
  std::string whole = rawText_;
  stocker_.LoadFromText(CutBefore(whole, kComponentDivider));
}

std::string SettingsFile::SettingsText() const {
  std::string text = TrimLineBreaks(keyValues_.GetText());
  text.append(kKeyValuesDivider).append(TrimLineBreaks(multiLine_)).append(kMultiLineDivider);
  text.append(TrimLineBreaks(stocker_.SaveToText())).append(kComponentDivider);
  return text;
}

bool SettingsFile::SaveSettings() const { return SaveTextFile(fileName_, SettingsText(), kSharedFileMode); }

void SettingsFile::WriteString(std::string_view key, std::string_view value) {
  const long long i = keyValues_.IndexOfName(key);
  if (i >= 0) keyValues_.Delete(i);
  if (value.find("\r\n") != std::string_view::npos) {
    const std::string tag = MultiLineTag(key);
    ExtractTagBlock(multiLine_, tag, true);
    multiLine_.append(WrapTagBlock(tag, value));
    return;
  }
  std::string line(key);
  line.append("=").append(value);
  keyValues_.Add(std::move(line));
}

std::string SettingsFile::ReadString(std::string_view key) const {
  const long long i = keyValues_.IndexOfName(key);
  if (i >= 0) {
    const std::string& line = keyValues_.Get(i);
    return line.substr(line.find('=') + 1);
  }
  std::string copy = multiLine_;
  return ExtractTagBlock(copy, MultiLineTag(key), false);
}

void SettingsFile::SaveFormPos(const PlacedForm& form) {
  const FormBounds b = form.NormalBounds();
  WriteString(form.FormName() + ".Pos", std::to_string(b.left) + "\t" + std::to_string(b.top) + "\t" +
                                            std::to_string(b.width) + "\t" + std::to_string(b.height));
}

void SettingsFile::LoadFormPos(PlacedForm& form, bool keepSize) const {
  const std::string stored = ReadString(form.FormName() + ".Pos");
  // A form with no stored place is left where the window system put it.
  if (stored.empty()) return;
  std::string_view rest = stored;
  const FormBounds now = form.CurrentBounds();
  FormBounds b;
  b.left = ParseDecimal(CutToken(rest, "\t")).value_or(now.left);
  b.top = ParseDecimal(CutToken(rest, "\t")).value_or(now.top);
  b.width = ParseDecimal(CutToken(rest, "\t")).value_or(now.width);
  b.height = ParseDecimal(CutToken(rest, "\t")).value_or(now.height);
  // A size no window can have would only be refused by the window system.
  if (b.width <= 0) b.width = now.width;
  if (b.height <= 0) b.height = now.height;
  if (keepSize) {
    b.width = now.width;
    b.height = now.height;
  }
  form.SetBounds(b);
}

}  // namespace morvane
