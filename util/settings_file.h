#pragma once
// The settings file: single-line values as key=value lines, values with line
// breaks as tagged blocks, and the stored widget properties, in three
// sections each closed by its divider.
#include <string>
#include <string_view>
#include <vector>

#include "util/component_stocker.h"
#include "util/line_list.h"

namespace morvane {

inline constexpr std::string_view kKeyValuesDivider = "\t#_QZDivKeyValues_#\t";
inline constexpr std::string_view kMultiLineDivider = "\t#_QZDivMultiLine_#\t";
inline constexpr std::string_view kComponentDivider = "\t#_QZDivComponent_#\t";

struct FormBounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const FormBounds&) const = default;
};

// What the settings store needs of a window to keep its place.
class PlacedForm {
 public:
  virtual ~PlacedForm() = default;
  virtual std::string FormName() const = 0;      // "Form1", "Form2"
  virtual FormBounds NormalBounds() const = 0;   // the restored (not maximised) rectangle
  virtual FormBounds CurrentBounds() const = 0;  // where it is now
  virtual void SetBounds(const FormBounds& b) = 0;
  // The work areas of the monitors the form can be shown on, the primary first;
  // empty when the window system does not say.
  virtual std::vector<FormBounds> WorkAreas() const { return {}; }
};

// A rectangle moved (and, only when it is larger, shrunk) into the work area it
// overlaps most, or the first one when it overlaps none, so that a window is
// never restored where nobody can see or reach it.
FormBounds FitIntoWorkAreas(FormBounds b, const std::vector<FormBounds>& areas);

class SettingsFile {
 public:
  explicit SettingsFile(std::string fileName);

  const std::string& FileName() const { return fileName_; }
  ComponentStocker& Stocker() { return stocker_; }
  const LineList& KeyValues() const { return keyValues_; }
  const std::string& MultiLine() const { return multiLine_; }
  const std::string& RawText() const { return rawText_; }

  int StockComponent(std::string_view component, std::string_view property, std::string_view tagName = {});

  // False when there is no settings file; an unreadable or foreign one loads
  // as empty settings.
  bool LoadSettings();
  // Takes the settings from a file's text as LoadTextFile gives it.
  void LoadSettingsText(std::string text);
  // True when the file was written; on false the old file is as it was.
  bool SaveSettings() const;
  // The file text SaveSettings writes (before its line ends become CR LF).
  std::string SettingsText() const;

  void WriteString(std::string_view key, std::string_view value);
  std::string ReadString(std::string_view key) const;

  void SaveFormPos(const PlacedForm& form);
  void LoadFormPos(PlacedForm& form, bool keepSize) const;

 private:
  std::string fileName_;
  LineList keyValues_{"="};
  std::string multiLine_;
  ComponentStocker stocker_;
  std::string rawText_;
};

}  // namespace morvane
