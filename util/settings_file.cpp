#include "util/settings_file.h"

#include <algorithm>

#include "util/text_file.h"
#include "util/text_routines.h"

namespace morvane {
namespace {

constexpr std::string_view kMultiLineTagSuffix = "\t_QZTags_\t";

std::string MultiLineTag(std::string_view key) { return std::string(key) + std::string(kMultiLineTagSuffix); }

long long OverlapArea(const FormBounds& a, const FormBounds& b) {
  const auto span = [](long long start1, long long length1, long long start2, long long length2) {
    return std::max(0LL, std::min(start1 + length1, start2 + length2) - std::max(start1, start2));
  };
  return span(a.left, std::max(a.width, 1), b.left, b.width) * span(a.top, std::max(a.height, 1), b.top, b.height);
}

// One axis: the length cut to the area's, then the start moved in.
void FitSpan(int& start, int& length, int areaStart, int areaLength) {
  length = std::min(length, areaLength);
  start = static_cast<int>(
      std::clamp<long long>(start, areaStart, static_cast<long long>(areaStart) + areaLength - length));
}

}  // namespace

FormBounds FitIntoWorkAreas(FormBounds b, const std::vector<FormBounds>& areas) {
  const FormBounds* best = nullptr;
  long long bestOverlap = -1;
  for (const FormBounds& area : areas) {
    if (area.width <= 0 || area.height <= 0) continue;
    const long long overlap = OverlapArea(b, area);
    if (overlap > bestOverlap) best = &area, bestOverlap = overlap;
  }
  if (!best) return b;
  FitSpan(b.left, b.width, best->left, best->width);
  FitSpan(b.top, b.height, best->top, best->height);
  return b;
}

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
  // A place no monitor shows would bring the window back out of reach.
  const FormBounds b = FitIntoWorkAreas(form.NormalBounds(), form.WorkAreas());
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
  form.SetBounds(FitIntoWorkAreas(b, form.WorkAreas()));
}

}  // namespace morvane
