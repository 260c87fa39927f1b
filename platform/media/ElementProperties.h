#pragma once
// The settings of a device or encoder element as a list of plain
// properties, so a generic dialog can show them and their changes can be
// stored as text and applied again later.

#include <string>
#include <vector>

typedef struct _GstElement GstElement;

namespace orvex::media {

enum class PropertyKind { Integer, Double, Boolean, Choice, Text };

struct PropertyChoice {
  std::string label;
  long long value = 0;
};

struct ElementProperty {
  std::string name;   // the element's property name, or "balance:<channel>" for picture controls
  std::string label;  // what people read
  std::string hint;
  PropertyKind kind = PropertyKind::Integer;
  double minimum = 0, maximum = 0;
  std::vector<PropertyChoice> choices;  // Choice
  std::string value;                    // current value as text
  std::string defaultValue;
};

// The writable, user-facing properties of an element, with a camera's
// picture controls (brightness, contrast, ...) where it has them.
std::vector<ElementProperty> DescribeProperties(GstElement* element);

// Sets one property from its text form; false when the value is refused.
bool ApplyProperty(GstElement* element, const std::string& name, const std::string& value);

// "name=value" lines of the properties that differ from their defaults.
std::string SerializeChanged(const std::vector<ElementProperty>& properties);
// Applies "name=value" lines; unknown names and bad values are skipped.
void ApplySerialized(GstElement* element, const std::string& state);

}  // namespace orvex::media
