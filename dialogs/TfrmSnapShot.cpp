#include "dialogs/TfrmSnapShot.h"

#include "engine/VOduduDudiviv.h"

TfrmSnapShot::TfrmSnapShot(VOduduDudiviv& engine)
    : TForm("SnapShot", TBorderStyle::Single, /*minimizeBox=*/false), engine_(engine) {
  setObjectName("frmSnapShot");
  SetClientSize(218, 205);
}

TfrmSnapShot::~TfrmSnapShot() = default;
