#pragma once
// The "Program Settings" window.

#include "widgets/TForm.h"

class VOduduDudiviv;

class TfrmConfiguration : public TForm {
  Q_OBJECT

 public:
  explicit TfrmConfiguration(VOduduDudiviv& engine);
  ~TfrmConfiguration() override;

 private:
  VOduduDudiviv& engine_;
};
