#include "platform/media/ElementProperties.h"

#include <gst/gst.h>
#include <gst/video/colorbalance.h>

#include <cstdlib>
#include <set>
#include <sstream>

#include "platform/media/GstPtr.h"

namespace orvex::media {
namespace {

// Plumbing every element has, which says nothing about the device itself.
const std::set<std::string> kHidden = {"name",
                                       "parent",
                                       "device",
                                       "device-name",
                                       "device-fd",
                                       "do-timestamp",
                                       "num-buffers",
                                       "typefind",
                                       "blocksize",
                                       "qos",
                                       "min-latency",
                                       "max-latency",
                                       "automatic-eos",
                                       "flags",
                                       "io-mode",
                                       "extra-controls",
                                       "client-name",
                                       "stream-properties",
                                       "provide-clock",
                                       "slave-method",
                                       "buffer-time",
                                       "latency-time",
                                       "actual-buffer-time",
                                       "actual-latency-time",
                                       "timestamp-offset",
                                       "is-live",
                                       "current-device"};

constexpr const char* kBalancePrefix = "balance:";

std::string ValueText(const GValue* v) {
  if (G_VALUE_HOLDS_STRING(v)) return g_value_get_string(v) ? g_value_get_string(v) : "";
  if (G_VALUE_HOLDS_BOOLEAN(v)) return g_value_get_boolean(v) ? "1" : "0";
  if (G_VALUE_HOLDS_ENUM(v)) return std::to_string(g_value_get_enum(v));
  GValue asString = G_VALUE_INIT;
  g_value_init(&asString, G_TYPE_STRING);
  std::string text;
  if (g_value_transform(v, &asString))
    text = g_value_get_string(&asString) ? g_value_get_string(&asString) : "";
  g_value_unset(&asString);
  return text;
}

bool Describe(GParamSpec* spec, ElementProperty& p) {
  p.name = spec->name;
  p.label = g_param_spec_get_nick(spec);
  p.hint = g_param_spec_get_blurb(spec) ? g_param_spec_get_blurb(spec) : "";
  const GType type = G_PARAM_SPEC_VALUE_TYPE(spec);
  if (G_IS_PARAM_SPEC_INT(spec)) {
    p.kind = PropertyKind::Integer;
    p.minimum = G_PARAM_SPEC_INT(spec)->minimum;
    p.maximum = G_PARAM_SPEC_INT(spec)->maximum;
  } else if (G_IS_PARAM_SPEC_UINT(spec)) {
    p.kind = PropertyKind::Integer;
    p.minimum = G_PARAM_SPEC_UINT(spec)->minimum;
    p.maximum = G_PARAM_SPEC_UINT(spec)->maximum;
  } else if (G_IS_PARAM_SPEC_INT64(spec) || G_IS_PARAM_SPEC_UINT64(spec)) {
    return false;  // timestamps and byte counts, not settings
  } else if (G_IS_PARAM_SPEC_FLOAT(spec)) {
    p.kind = PropertyKind::Double;
    p.minimum = G_PARAM_SPEC_FLOAT(spec)->minimum;
    p.maximum = G_PARAM_SPEC_FLOAT(spec)->maximum;
  } else if (G_IS_PARAM_SPEC_DOUBLE(spec)) {
    p.kind = PropertyKind::Double;
    p.minimum = G_PARAM_SPEC_DOUBLE(spec)->minimum;
    p.maximum = G_PARAM_SPEC_DOUBLE(spec)->maximum;
  } else if (G_IS_PARAM_SPEC_BOOLEAN(spec)) {
    p.kind = PropertyKind::Boolean;
  } else if (G_IS_PARAM_SPEC_ENUM(spec)) {
    p.kind = PropertyKind::Choice;
    GEnumClass* klass = G_PARAM_SPEC_ENUM(spec)->enum_class;
    for (guint i = 0; i < klass->n_values; ++i)
      p.choices.push_back({klass->values[i].value_nick, klass->values[i].value});
  } else if (type == G_TYPE_STRING) {
    p.kind = PropertyKind::Text;
  } else {
    return false;
  }
  p.defaultValue = ValueText(g_param_spec_get_default_value(spec));
  return true;
}

}  // namespace

std::vector<ElementProperty> DescribeProperties(GstElement* element) {
  std::vector<ElementProperty> result;
  if (!element) return result;
  guint count = 0;
  GParamSpec** specs = g_object_class_list_properties(G_OBJECT_GET_CLASS(element), &count);
  for (guint i = 0; i < count; ++i) {
    GParamSpec* spec = specs[i];
    if (!(spec->flags & G_PARAM_WRITABLE) || !(spec->flags & G_PARAM_READABLE) ||
        (spec->flags & G_PARAM_CONSTRUCT_ONLY) || kHidden.count(spec->name))
      continue;
    ElementProperty p;
    if (!Describe(spec, p)) continue;
    GValue value = G_VALUE_INIT;
    g_value_init(&value, G_PARAM_SPEC_VALUE_TYPE(spec));
    g_object_get_property(G_OBJECT(element), spec->name, &value);
    p.value = ValueText(&value);
    g_value_unset(&value);
    result.push_back(std::move(p));
  }
  g_free(specs);

  if (GST_IS_COLOR_BALANCE(element)) {
    auto* balance = GST_COLOR_BALANCE(element);
    for (const GList* l = gst_color_balance_list_channels(balance); l; l = l->next) {
      auto* channel = GST_COLOR_BALANCE_CHANNEL(l->data);
      ElementProperty p;
      p.name = std::string(kBalancePrefix) + channel->label;
      p.label = channel->label;
      p.minimum = channel->min_value;
      p.maximum = channel->max_value;
      p.value = std::to_string(gst_color_balance_get_value(balance, channel));
      p.defaultValue = std::to_string((channel->min_value + channel->max_value) / 2);
      result.push_back(std::move(p));
    }
  }
  return result;
}

bool ApplyProperty(GstElement* element, const std::string& name, const std::string& value) {
  if (!element) return false;
  if (name.rfind(kBalancePrefix, 0) == 0) {
    if (!GST_IS_COLOR_BALANCE(element)) return false;
    const std::string label = name.substr(std::string(kBalancePrefix).size());
    auto* balance = GST_COLOR_BALANCE(element);
    for (const GList* l = gst_color_balance_list_channels(balance); l; l = l->next) {
      auto* channel = GST_COLOR_BALANCE_CHANNEL(l->data);
      if (label != channel->label) continue;
      char* end = nullptr;
      const long v = std::strtol(value.c_str(), &end, 10);
      if (*end || v < channel->min_value || v > channel->max_value) return false;
      gst_color_balance_set_value(balance, channel, static_cast<gint>(v));
      return true;
    }
    return false;
  }
  GParamSpec* spec = g_object_class_find_property(G_OBJECT_GET_CLASS(element), name.c_str());
  if (!spec || !(spec->flags & G_PARAM_WRITABLE) || kHidden.count(name)) return false;
  if (value.empty() && G_PARAM_SPEC_VALUE_TYPE(spec) != G_TYPE_STRING) return false;
  GValue parsed = G_VALUE_INIT;
  g_value_init(&parsed, G_PARAM_SPEC_VALUE_TYPE(spec));
  bool ok = false;
  if (G_IS_PARAM_SPEC_ENUM(spec)) {
    char* end = nullptr;
    const long v = std::strtol(value.c_str(), &end, 10);
    ok = !*end && g_enum_get_value(G_PARAM_SPEC_ENUM(spec)->enum_class, static_cast<gint>(v));
    if (ok) g_value_set_enum(&parsed, static_cast<gint>(v));
  } else if (G_IS_PARAM_SPEC_BOOLEAN(spec)) {
    ok = value == "0" || value == "1";
    g_value_set_boolean(&parsed, value == "1");
  } else {
    ok = gst_value_deserialize(&parsed, value.c_str());
  }
  // Out-of-range numbers are refused rather than clamped silently.
  if (ok) ok = !g_param_value_validate(spec, &parsed);
  if (ok) g_object_set_property(G_OBJECT(element), name.c_str(), &parsed);
  g_value_unset(&parsed);
  return ok;
}

std::string SerializeChanged(const std::vector<ElementProperty>& properties) {
  std::string state;
  for (const auto& p : properties)
    if (p.value != p.defaultValue && p.value.find('\n') == std::string::npos)
      state += p.name + "=" + p.value + "\n";
  return state;
}

void ApplySerialized(GstElement* element, const std::string& state) {
  std::istringstream lines(state);
  for (std::string line; std::getline(lines, line);) {
    const auto eq = line.find('=');
    if (eq == std::string::npos || eq == 0) continue;
    ApplyProperty(element, line.substr(0, eq), line.substr(eq + 1));
  }
}

}  // namespace orvex::media
