#pragma once
// The "Video Overlay" window.

#include "widgets/TForm.h"

class VOduduDudiviv;

class TfrmOverlay : public TForm {
  Q_OBJECT

 public:
  explicit TfrmOverlay(VOduduDudiviv& engine);
  ~TfrmOverlay() override;

 private:
  VOduduDudiviv& engine_;
};
