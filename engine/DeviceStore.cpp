#include "engine/DeviceStore.h"

#include <cstdio>

#include "engine/EngineVersion.h"
#include "platform/registry/Registry.h"

using orvex::reg::Root;
using orvex::reg::TRegistry;

namespace device_store {
namespace {

const std::string kDevices = std::string(kRootPath) + "Devices\\";
const std::string kGlobal = std::string(kRootPath) + "Global";

std::string ListName(const char* prefix, std::size_t i) {
  char name[16];
  std::snprintf(name, sizeof name, "%s%.3u", prefix, static_cast<unsigned>(i));
  return name;
}

bool ReadValue(const TRegistry& reg, const TDeviceValueDef& def, TDeviceValue& value) {
  switch (def.Type) {
    case dv_Integer:
    case dv_Boolean: {
      const auto v = reg.ReadInteger(def.Name);
      if (!v) return false;
      value.Int = def.Type == dv_Boolean ? (*v != 0) : *v;
      return true;
    }
    case dv_String: {
      const auto v = reg.ReadString(def.Name);
      if (!v) return false;
      value.Text = *v;
      return true;
    }
    case dv_Float: {
      const auto v = reg.ReadFloat(def.Name);
      if (!v) return false;
      value.Float = *v;
      return true;
    }
    case dv_Binary: {
      const auto size = reg.ReadInteger(std::string(def.Name) + "Size");
      const auto bytes = reg.ReadBinaryData(def.Name);
      // Blocks of another size belong to no version of these records.
      if (!size || !bytes || *size != def.BinarySize ||
          bytes->size() != static_cast<std::size_t>(def.BinarySize))
        return false;
      value.Bytes.assign(bytes->begin(), bytes->end());
      return true;
    }
  }
  return false;
}

void WriteValue(TRegistry& reg, const TDeviceValueDef& def, const TDeviceValue& value) {
  switch (def.Type) {
    case dv_Integer: reg.WriteInteger(def.Name, value.Int); break;
    case dv_Boolean: reg.WriteBool(def.Name, value.Int != 0); break;
    case dv_String: reg.WriteString(def.Name, value.Text); break;
    case dv_Float: reg.WriteFloat(def.Name, value.Float); break;
    case dv_Binary:
      reg.WriteBinaryData(def.Name, value.Bytes.data(), value.Bytes.size());
      reg.WriteInteger(std::string(def.Name) + "Size", static_cast<std::int32_t>(value.Bytes.size()));
      break;
  }
}

// The store is a convenience: failing to write it must never stop the engine.
template <typename Fn>
void Guarded(Fn fn) {
  try {
    fn();
  } catch (const std::exception&) {
  }
}

}  // namespace

void EnsureVersion() {
  Guarded([] {
    TRegistry reg;
    const std::string versionKey = std::string(kRootPath) + kEngineVersion;
    if (reg.KeyExists(versionKey)) return;
    reg.DeleteKey(kRootPath);
    reg.CreateKey(versionKey);
  });
}

bool LoadDevice(const std::string& key, TDeviceValues& values, int count) {
  bool ok = false;
  Guarded([&] {
    TRegistry reg;
    if (!reg.OpenKeyReadOnly(kDevices + key)) return;
    ok = true;
    for (int i = 0; i < count && i < values.Count(); ++i)
      ok = ReadValue(reg, values.Defs()[i], values.At(i)) && ok;
  });
  return ok;
}

void SaveDevice(const std::string& key, const TDeviceValues& values) {
  Guarded([&] {
    TRegistry reg;
    if (!reg.OpenKey(kDevices + key, true)) return;
    for (int i = 0; i < values.Count(); ++i) WriteValue(reg, values.Defs()[i], values.At(i));
    reg.CloseKey();
  });
}

void LoadFormats(const std::string& key, std::vector<std::string>& sizes,
                 std::vector<std::string>& subtypes) {
  sizes.clear();
  subtypes.clear();
  Guarded([&] {
    TRegistry reg;
    if (!reg.OpenKeyReadOnly(kDevices + key)) return;
    for (auto [prefix, list] : {std::pair{"FMT", &sizes}, std::pair{"SUB", &subtypes}}) {
      for (std::size_t i = 0;; ++i) {
        const auto name = ListName(prefix, i);
        if (!reg.ValueExists(name)) break;
        const auto text = reg.ReadString(name);
        // An entry is one line of a list the dialogs show line by line.
        if (text && !text->empty() && text->find_first_of("\r\n") == std::string::npos)
          list->push_back(*text);
      }
    }
  });
}

void SaveFormats(const std::string& key, const std::vector<std::string>& sizes,
                 const std::vector<std::string>& subtypes) {
  Guarded([&] {
    TRegistry reg;
    if (!reg.OpenKey(kDevices + key, true)) return;
    for (const std::string& name : reg.GetValueNames())
      if (name.size() == 6 && (name.rfind("FMT", 0) == 0 || name.rfind("SUB", 0) == 0)) reg.DeleteValue(name);
    for (std::size_t i = 0; i < sizes.size(); ++i) reg.WriteString(ListName("FMT", i), sizes[i]);
    for (std::size_t i = 0; i < subtypes.size(); ++i) reg.WriteString(ListName("SUB", i), subtypes[i]);
    reg.CloseKey();
  });
}

void LoadGlobals(std::string& lastRecordingFileName, std::string& lastClipPlayed) {
  Guarded([&] {
    TRegistry reg;
    if (!reg.OpenKeyReadOnly(kGlobal)) return;
    lastRecordingFileName = reg.ReadString("_LastRecordingFileName").value_or("");
    lastClipPlayed = reg.ReadString("_LastClipPlayed").value_or("");
  });
}

void SaveGlobals(const std::string& lastRecordingFileName, const std::string& lastClipPlayed) {
  Guarded([&] {
    TRegistry reg;
    if (!reg.OpenKey(kGlobal, true)) return;
    reg.WriteString("_LastRecordingFileName", lastRecordingFileName);
    reg.WriteString("_LastClipPlayed", lastClipPlayed);
    reg.CloseKey();
  });
}

std::optional<std::string> LoadCompressorState(const std::string& key) {
  std::optional<std::string> state;
  Guarded([&] {
    TRegistry reg;
    if (!reg.OpenKeyReadOnly(kDevices + key)) return;
    const auto size = reg.ReadInteger("WDMStateSize");
    const auto bytes = reg.ReadBinaryData("WDMState");
    if (size && bytes && static_cast<std::size_t>(*size) == bytes->size())
      state.emplace(bytes->begin(), bytes->end());
  });
  return state;
}

void SaveCompressorState(const std::string& key, const std::string& state) {
  Guarded([&] {
    TRegistry reg;
    if (!reg.OpenKey(kDevices + key, true)) return;
    reg.WriteBinaryData("WDMState", state.data(), state.size());
    reg.WriteInteger("WDMStateSize", static_cast<std::int32_t>(state.size()));
    reg.CloseKey();
  });
}

}  // namespace device_store
