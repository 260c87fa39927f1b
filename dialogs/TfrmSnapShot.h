#pragma once
// The "SnapShot" window.

#include "widgets/TForm.h"

class VOduduDudiviv;

class TfrmSnapShot : public TForm {
  Q_OBJECT

 public:
  explicit TfrmSnapShot(VOduduDudiviv& engine);
  ~TfrmSnapShot() override;

 private:
  VOduduDudiviv& engine_;
};
