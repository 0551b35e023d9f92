#pragma once
// Keeps chosen properties of the window's widgets (a pane's width, a list's
// height) as text so that the user's adjustments survive a restart. Widgets
// make their properties known by name with a getter and a setter; a
// registration then names a component and property to be stored.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

// Decimal integer with an optional sign (leading spaces allowed); nullopt for
// empty, invalid or out-of-range text.
std::optional<int> ParseDecimal(std::string_view text);

struct StockedProperty {
  std::string component;
  std::string property;
  std::string TagName;
};

class ComponentStocker {
 public:
  using TextGetter = std::function<std::string()>;
  using TextSetter = std::function<void(std::string_view)>;

  // Makes a property readable and writable by name. The property name is
  // matched without regard to letter case; a later definition replaces an
  // earlier one.
  void DefineProperty(std::string component, std::string property, TextGetter get, TextSetter set);
  // An integer property: stored as decimal text; empty or invalid text sets 0.
  void DefineIntProperty(std::string component, std::string property, std::function<int()> get,
                         std::function<void(int)> set);

  // Registers a property to be stored; the tag name is "component.property"
  // unless one is given. Returns the registration's index.
  int AddRegistration(std::string_view component, std::string_view property, std::string_view tagName);
  int Count() const { return static_cast<int>(registrations_.size()); }
  const StockedProperty& Registration(int index) const { return registrations_.at(index); }

  // The current value as text; empty when the property is not defined (or
  // the index names no registration).
  std::string GetValue(int index) const;
  // Sets the property from text; nothing when it is not defined.
  void SetValue(int index, std::string_view text);

  // One tagged block per registration, each followed by CR LF.
  std::string SaveToText() const;
  // Sets every registration whose tag name occurs in text from its block;
  // the others keep their values.
  void LoadFromText(std::string_view text);

 private:
  struct Accessor {
    std::string component;
    std::string property;
    TextGetter get;
    TextSetter set;
  };
  const Accessor* Find(int index) const;

  std::vector<Accessor> accessors_;
  std::vector<StockedProperty> registrations_;
};

}  // namespace morvane
