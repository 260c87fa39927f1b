#include "platform/dialogs/CommonDialogs.h"

#include "platform/dialogs/QtCommonDialogs.h"

namespace orvex::dialogs {
namespace {
ICommonDialogs* g_installed = nullptr;
}

ICommonDialogs& CommonDialogs() {
  if (g_installed) return *g_installed;
  static QtCommonDialogs qtDialogs;
  return qtDialogs;
}

void SetCommonDialogs(ICommonDialogs* dialogs) { g_installed = dialogs; }

ICommonDialogs* InstalledCommonDialogs() { return g_installed; }

}  // namespace orvex::dialogs
