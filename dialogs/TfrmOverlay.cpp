#include "dialogs/TfrmOverlay.h"

#include "engine/VOduduDudiviv.h"

TfrmOverlay::TfrmOverlay(VOduduDudiviv& engine)
    : TForm("Video Overlay", TBorderStyle::Single, /*minimizeBox=*/false), engine_(engine) {
  setObjectName("frmOverlay");
  SetClientSize(362, 529);
}

TfrmOverlay::~TfrmOverlay() = default;
