#include "platform/media/testdevices/TestToneSrc.h"

#include "platform/media/testdevices/TestDevices.h"

namespace orvex::media::testdevices {
namespace {

// 10 ms at 48 kHz; short enough for a live preview at every rate.
constexpr int kSamplesPerBuffer = 480;
constexpr double kVolume = 0.5;

// A bin around audiotestsrc: the generator is GStreamer's own, pinned to the
// formats a capture card offers; "input" only changes its frequency.
struct OrvexTestToneSrc {
  GstBin parent;
  gint input;
  GstElement* tone;  // owned by the bin
};

struct OrvexTestToneSrcClass {
  GstBinClass parent_class;
};

enum { PROP_0, PROP_INPUT };

G_DEFINE_TYPE(OrvexTestToneSrc, orvex_test_tone_src, GST_TYPE_BIN)

OrvexTestToneSrc* Self(gpointer p) { return reinterpret_cast<OrvexTestToneSrc*>(p); }

double FrequencyOf(int input) { return kToneFrequencies[input == kInputLineIn ? 1 : 0]; }

void SetProperty(GObject* object, guint id, const GValue* value, GParamSpec* pspec) {
  OrvexTestToneSrc* self = Self(object);
  if (id == PROP_INPUT) {
    const int input = g_value_get_int(value);
    g_atomic_int_set(&self->input, input);
    if (self->tone != nullptr) g_object_set(self->tone, "freq", FrequencyOf(input), nullptr);
  } else {
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
  }
}

void GetProperty(GObject* object, guint id, GValue* value, GParamSpec* pspec) {
  if (id == PROP_INPUT)
    g_value_set_int(value, g_atomic_int_get(&Self(object)->input));
  else
    G_OBJECT_WARN_INVALID_PROPERTY_ID(object, id, pspec);
}

void orvex_test_tone_src_class_init(OrvexTestToneSrcClass* klass) {
  GObjectClass* object = G_OBJECT_CLASS(klass);
  object->set_property = SetProperty;
  object->get_property = GetProperty;
  g_object_class_install_property(
      object, PROP_INPUT,
      g_param_spec_int(
          kInputProperty, "Input", "0: Microphone (440 Hz), 1: Line In (880 Hz)", kInputMicrophone,
          kInputLineIn, kInputMicrophone,
          static_cast<GParamFlags>(G_PARAM_READWRITE | G_PARAM_STATIC_STRINGS | GST_PARAM_MUTABLE_PLAYING)));
  GstElementClass* element = GST_ELEMENT_CLASS(klass);
  gst_element_class_set_static_metadata(element, "Orvex Test Tone Microphone", "Source/Audio",
                                        "A live test microphone: a sine tone", "Orvex Ziru");
  GstCaps* caps = NewToneCaps();
  gst_element_class_add_pad_template(element, gst_pad_template_new("src", GST_PAD_SRC, GST_PAD_ALWAYS, caps));
  gst_caps_unref(caps);
}

void orvex_test_tone_src_init(OrvexTestToneSrc* self) {
  g_atomic_int_set(&self->input, kInputMicrophone);
  self->tone = gst_element_factory_make("audiotestsrc", "tone");
  GstElement* filter = gst_element_factory_make("capsfilter", "formats");
  if (self->tone == nullptr || filter == nullptr) {
    // Without plugins-base nothing of ours can work; the element stays padless.
    g_critical("orvextesttonesrc needs audiotestsrc and capsfilter");
    if (self->tone != nullptr) gst_object_unref(gst_object_ref_sink(self->tone));
    if (filter != nullptr) gst_object_unref(gst_object_ref_sink(filter));
    self->tone = nullptr;
    return;
  }
  GstCaps* caps = NewToneCaps();
  g_object_set(self->tone, "is-live", TRUE, "freq", FrequencyOf(kInputMicrophone), "volume", kVolume,
               "samplesperbuffer", kSamplesPerBuffer, nullptr);
  g_object_set(filter, "caps", caps, nullptr);
  gst_caps_unref(caps);
  gst_bin_add_many(GST_BIN(self), self->tone, filter, nullptr);
  gst_element_link(self->tone, filter);

  GstPad* target = gst_element_get_static_pad(filter, "src");
  GstPadTemplate* templ = gst_element_class_get_pad_template(GST_ELEMENT_GET_CLASS(self), "src");
  gst_element_add_pad(GST_ELEMENT(self), gst_ghost_pad_new_from_template("src", target, templ));
  gst_object_unref(target);
}

}  // namespace

GType TestToneSrcType() { return orvex_test_tone_src_get_type(); }

GstCaps* NewToneCaps() {
  return gst_caps_from_string(
      "audio/x-raw, format=(string)S16LE, layout=(string)interleaved, "
      "rate=(int)[ 8000, 48000 ], channels=(int)[ 1, 2 ]");
}

}  // namespace orvex::media::testdevices
