#pragma once
// A modal dialog that shows the settings of a device or encoder as a form
// of plain controls and hands back what the user changed.

#include <QDialog>
#include <functional>
#include <vector>

#include "platform/media/ElementProperties.h"

class PropertyPageDialog : public QDialog {
  Q_OBJECT

 public:
  PropertyPageDialog(const QString& title, std::vector<orvex::media::ElementProperty> properties,
                     QWidget* parent = nullptr);

  // The properties with the values shown now.
  const std::vector<orvex::media::ElementProperty>& Properties() const { return properties_; }

  // Told at once about every change, so the picture follows the controls.
  std::function<void(const std::string& name, const std::string& value)> OnChange;

 private:
  QWidget* EditorFor(std::size_t index);
  void Changed(std::size_t index, const std::string& value);
  void ResetDefaults();

  std::vector<orvex::media::ElementProperty> properties_;
  std::vector<std::function<void(const std::string&)>> setters_;
};
