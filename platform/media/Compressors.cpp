#include "platform/media/Compressors.h"

#include <gst/gst.h>

#include <string>

#include "platform/media/ElementProperties.h"
#include "platform/media/GstPtr.h"

namespace orvex::media {
namespace {

// Settings that make an encoder faster without changing the pictures it
// writes at the chosen quality. Stored settings are applied after these.
struct SpeedSetting {
  const char* factory;
  const char* property;
  const char* value;
};
constexpr SpeedSetting kSpeedSettings[] = {
    // libavcodec's MJPEG encoder codes slices of a frame on every core.
    {"avenc_mjpeg", "threads", "0"},
    // libjpeg-turbo's fast integer DCT (jpegenc's default today, kept if that changes).
    {"jpegenc", "idct-method", "1"},
};

class FactoryElementMaker final : public ElementMaker {
 public:
  explicit FactoryElementMaker(std::string factory) : factory_(std::move(factory)) {}
  GstElement* CreateElement(const char* name) const override {
    GstElement* element = gst_element_factory_make(factory_.c_str(), name);
    for (const SpeedSetting& setting : kSpeedSettings)
      if (element && factory_ == setting.factory) ApplyProperty(element, setting.property, setting.value);
    return element;
  }

 private:
  std::string factory_;
};

// The caps avimux takes on its video or audio request pads.
CapsPtr AviSinkCaps(bool video) {
  ElementFactoryPtr mux(gst_element_factory_find("avimux"));
  if (!mux) return {};
  for (const GList* t = gst_element_factory_get_static_pad_templates(mux.get()); t; t = t->next) {
    auto* tmpl = static_cast<GstStaticPadTemplate*>(t->data);
    if (tmpl->direction == GST_PAD_SINK && g_str_has_prefix(tmpl->name_template, video ? "video" : "audio"))
      return CapsPtr(gst_static_caps_get(&tmpl->static_caps));
  }
  return {};
}

// Encoders that drive a hardware block; most machines do not have it and
// the element then fails when the recording starts.
bool NeedsHardware(const std::string& factory) {
  for (const char* marker : {"omx", "vaapi", "v4l2", "nvenc", "nvh264", "qsv", "amf", "vulkan", "va"})
    if (factory.find(std::string("_") + marker) != std::string::npos || factory.rfind(marker, 0) == 0)
      return true;
  return false;
}

// The sizes and rates cameras give. An encoder that takes none of them (the
// DV encoder wants 720 x 480 or 576 at television rates) could never record.
bool TakesCameraPictures(GstElementFactory* factory) {
  CapsPtr camera(gst_caps_from_string(
      "video/x-raw,width=640,height=480,framerate=30/1; video/x-raw,width=352,height=288,framerate=30/1;"
      "video/x-raw,width=320,height=240,framerate=30/1; video/x-raw,width=1280,height=720,framerate=30/1"));
  for (const GList* t = gst_element_factory_get_static_pad_templates(factory); t; t = t->next) {
    auto* tmpl = static_cast<GstStaticPadTemplate*>(t->data);
    if (tmpl->direction != GST_PAD_SINK) continue;
    CapsPtr caps(gst_static_caps_get(&tmpl->static_caps));
    if (caps && gst_caps_can_intersect(caps.get(), camera.get())) return true;
  }
  return false;
}

// gst-libav 1.22.0 gives its MPEG-1 and MPEG-2 video encoders a time base of
// one nanosecond, a frame rate they refuse: every recording with them fails.
bool FailsInThisGStreamer(GstElementFactory* factory) {
  const std::string name = GST_OBJECT_NAME(factory);
  if (name != "avenc_mpeg1video" && name != "avenc_mpeg2video") return false;
  GstPlugin* plugin = gst_plugin_feature_get_plugin(GST_PLUGIN_FEATURE(factory));
  if (!plugin) return false;
  const char* version = gst_plugin_get_version(plugin);
  const bool broken = version && std::string(version) == "1.22.0";
  gst_object_unref(plugin);
  return broken;
}

bool OutputFits(GstElementFactory* factory, const GstCaps* sinkCaps) {
  for (const GList* t = gst_element_factory_get_static_pad_templates(factory); t; t = t->next) {
    auto* tmpl = static_cast<GstStaticPadTemplate*>(t->data);
    if (tmpl->direction != GST_PAD_SRC) continue;
    CapsPtr caps(gst_static_caps_get(&tmpl->static_caps));
    if (caps && !gst_caps_is_any(caps.get()) && gst_caps_can_intersect(caps.get(), sinkCaps)) return true;
  }
  return false;
}

}  // namespace

std::vector<DeviceDescriptor> AviCompressors(DeviceCategory category) {
  const bool video = category == DeviceCategory::VideoCompressor;
  std::vector<DeviceDescriptor> result;
  CapsPtr sinkCaps = AviSinkCaps(video);
  if (!sinkCaps) return result;
  GList* factories = gst_element_factory_list_get_elements(
      GST_ELEMENT_FACTORY_TYPE_ENCODER |
          (video ? GST_ELEMENT_FACTORY_TYPE_MEDIA_VIDEO | GST_ELEMENT_FACTORY_TYPE_MEDIA_IMAGE
                 : GST_ELEMENT_FACTORY_TYPE_MEDIA_AUDIO),
      GST_RANK_NONE);
  // Rank first, then name: the registry's own order changes as plugins load,
  // and the settings keep positions in this list.
  factories = g_list_sort(factories, [](gconstpointer a, gconstpointer b) {
    const int byRank = gst_plugin_feature_rank_compare_func(a, b);
    return byRank != 0 ? byRank : g_strcmp0(GST_OBJECT_NAME(a), GST_OBJECT_NAME(b));
  });
  for (GList* l = factories; l; l = l->next) {
    auto* factory = GST_ELEMENT_FACTORY(l->data);
    if (NeedsHardware(GST_OBJECT_NAME(factory)) || !OutputFits(factory, sinkCaps.get())) continue;
    if (video && (!TakesCameraPictures(factory) || FailsInThisGStreamer(factory))) continue;
    DeviceDescriptor d;
    d.category = category;
    d.monikerDisplayName = GST_OBJECT_NAME(factory);
    const char* longName = gst_element_factory_get_metadata(factory, GST_ELEMENT_METADATA_LONGNAME);
    d.friendlyName = longName ? longName : d.monikerDisplayName;
    d.maker = std::make_shared<FactoryElementMaker>(d.monikerDisplayName);
    result.push_back(std::move(d));
  }
  gst_plugin_feature_list_free(factories);
  return result;
}

}  // namespace orvex::media
