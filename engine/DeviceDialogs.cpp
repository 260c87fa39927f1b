// The property pages of the bound devices and chosen compressors.

#include <gst/gst.h>

#include "engine/DeviceStore.h"
#include "engine/TSyncManager.h"
#include "engine/TVdvWorker.h"
#include "engine/VOduduDudiviv.h"
#include "platform/media/ElementProperties.h"
#include "platform/media/GstPtr.h"
#include "widgets/PropertyPageDialog.h"

using orvex::media::ElementPtr;

namespace {

bool RunPropertyDialog(QWidget* owner, const std::string& title,
                       std::vector<orvex::media::ElementProperty>& props,
                       const std::function<void(const std::string&, const std::string&)>& onChange) {
  PropertyPageDialog dialog(QString::fromStdString(title), props, owner ? owner->window() : nullptr);
  dialog.OnChange = onChange;
  if (dialog.exec() != QDialog::Accepted) return false;
  props = dialog.Properties();
  return true;
}

VOduduDudiviv::PropertyDialogRunner g_runner = RunPropertyDialog;

}  // namespace

void VOduduDudiviv::SetPropertyDialogRunner(PropertyDialogRunner runner) {
  g_runner = runner ? runner : RunPropertyDialog;
}

// Shows an element's settings; on OK the changed ones are stored under the
// device's key, on Cancel the element gets its old values back.
bool VOduduDudiviv::EditElementSettings(GstElement* element, const std::string& key,
                                        const std::string& title) {
  const std::string stored = device_store::LoadCompressorState(key).value_or("");
  orvex::media::ApplySerialized(element, stored);
  auto props = orvex::media::DescribeProperties(element);
  if (props.empty()) return false;
  const auto original = props;
  const bool accepted =
      g_runner(this, title, props, [element](const std::string& name, const std::string& value) {
        orvex::media::ApplyProperty(element, name, value);
      });
  if (!accepted) {
    for (const auto& p : original) orvex::media::ApplyProperty(element, p.name, p.value);
    return false;
  }
  for (const auto& p : props) orvex::media::ApplyProperty(element, p.name, p.value);
  device_store::SaveCompressorState(
      key, orvex::media::SerializeChanged(orvex::media::DescribeProperties(element)));
  return true;
}

bool VOduduDudiviv::ShowDeviceDialog(int kind) {
  TVdvWorker& w = *worker_;
  const bool video = kind == dk_VideoDevice || kind == dk_VideoCompressor;
  const bool device = kind == dk_VideoDevice || kind == dk_AudioDevice;
  if (kind != dk_VideoDevice && kind != dk_VideoCompressor && kind != dk_AudioCompressor &&
      kind != dk_AudioDevice)
    return false;
  if (kind == dk_VideoDevice &&
      w.Report(VideoDevicesCount() == 0, sv_Error, "no video capture device", e_no_video_input_device))
    return false;
  if (!w.StateCheck(/*deviceCheck=*/kind == dk_VideoDevice, /*allowPreview=*/true, /*allowPlayer=*/false))
    return false;

  TDeviceEntry entry;
  if (device) {
    if (video && w.Bound().VideoIndex != VideoDevice()) w.BindVideoDevice();
    if (!video && w.Bound().AudioIndex != AudioDevice()) w.BindAudioDevice();
    const int bound = video ? w.Bound().VideoIndex : w.Bound().AudioIndex;
    if (bound < 0) return false;
    entry = video ? w.Bound().Video : w.Bound().Audio;
  } else {
    const TDevices* list = w.DeviceList(video ? lk_VideoCompressors : lk_AudioCompressors);
    const int index = video ? VideoCompressor() : AudioCompressor();
    if (!list || !list->Entry(index, entry)) return false;
  }
  const auto& maker = entry.Info.Descriptor.maker;
  ElementPtr element(maker ? maker->CreateElement(nullptr) : nullptr);
  if (element && g_object_is_floating(element.get())) gst_object_ref_sink(element.get());
  if (!element) {
    if (!device)
      w.Report(true, sv_Error, video ? "video compressor not suitable" : "audio compressor not suitable",
               video ? e_video_compressor_not_suitable : e_audio_compressor_not_suitable);
    return false;
  }
  HandleNeeded();
  const bool shown = EditElementSettings(element.get(), entry.Info.Key, entry.DisplayName);
  if (!shown && !device && orvex::media::DescribeProperties(element.get()).empty())
    w.Report(true, sv_Warning,
             video ? "no dialog for this video compressor" : "no dialog for this audio compressor",
             e_no_dialog_for_this_compressor);
  if (kind == dk_VideoDevice) {
    w.ApplyVideoSizeToWindow();
    if (!w.Destroying) w.CallVideoDeviceSelected();
    w.AutoRefresh("dd");
  } else {
    w.AutoRefresh(kind == dk_AudioDevice ? "dadd" : "dvcd");
  }
  return shown;
}
