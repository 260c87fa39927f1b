#include "dialogs/TfrmVideoProcessing.h"

#include "engine/VOduduDudiviv.h"

TfrmVideoProcessing::TfrmVideoProcessing(VOduduDudiviv& engine)
    : TForm("Video Processing", TBorderStyle::Single, /*minimizeBox=*/false), engine_(engine) {
  setObjectName("frmVideoProcessing");
  SetClientSize(227, 404);
}

TfrmVideoProcessing::~TfrmVideoProcessing() = default;
