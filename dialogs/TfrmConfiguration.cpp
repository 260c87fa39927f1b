#include "dialogs/TfrmConfiguration.h"

#include "engine/VOduduDudiviv.h"

TfrmConfiguration::TfrmConfiguration(VOduduDudiviv& engine)
    : TForm("Program Settings", TBorderStyle::Dialog, /*minimizeBox=*/false), engine_(engine) {
  setObjectName("frmConfiguration");
  SetClientSize(332, 311);
}

TfrmConfiguration::~TfrmConfiguration() = default;
