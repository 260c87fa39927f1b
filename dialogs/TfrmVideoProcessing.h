#pragma once
// The "Video Processing" window.

#include "widgets/TForm.h"

class VOduduDudiviv;

class TfrmVideoProcessing : public TForm {
  Q_OBJECT

 public:
  explicit TfrmVideoProcessing(VOduduDudiviv& engine);
  ~TfrmVideoProcessing() override;

 private:
  VOduduDudiviv& engine_;
};
