#include "widgets/PropertyPageDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

using orvex::media::ElementProperty;
using orvex::media::PropertyKind;

PropertyPageDialog::PropertyPageDialog(const QString& title, std::vector<ElementProperty> properties,
                                       QWidget* parent)
    : QDialog(parent), properties_(std::move(properties)) {
  setWindowTitle(title);
  setObjectName("PropertyPageDialog");
  auto* form = new QFormLayout;
  setters_.resize(properties_.size());
  for (std::size_t i = 0; i < properties_.size(); ++i) {
    QWidget* editor = EditorFor(i);
    editor->setObjectName(QString::fromStdString(properties_[i].name));
    editor->setToolTip(QString::fromStdString(properties_[i].hint));
    form->addRow(QString::fromStdString(properties_[i].label) + ":", editor);
  }
  auto* inner = new QWidget;
  inner->setLayout(form);
  auto* scroll = new QScrollArea;
  scroll->setWidget(inner);
  scroll->setWidgetResizable(true);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  QPushButton* defaults = buttons->addButton(tr("Defaults"), QDialogButtonBox::ResetRole);
  connect(defaults, &QPushButton::clicked, this, &PropertyPageDialog::ResetDefaults);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(scroll);
  layout->addWidget(buttons);
  resize(420, std::min(120 + 34 * static_cast<int>(properties_.size()), 560));
}

void PropertyPageDialog::Changed(std::size_t index, const std::string& value) {
  properties_[index].value = value;
  if (OnChange) OnChange(properties_[index].name, value);
}

QWidget* PropertyPageDialog::EditorFor(std::size_t i) {
  const ElementProperty& p = properties_[i];
  switch (p.kind) {
    case PropertyKind::Boolean: {
      auto* box = new QCheckBox;
      box->setChecked(p.value == "1");
      connect(box, &QCheckBox::toggled, this, [this, i](bool on) { Changed(i, on ? "1" : "0"); });
      setters_[i] = [box](const std::string& v) { box->setChecked(v == "1"); };
      return box;
    }
    case PropertyKind::Choice: {
      auto* combo = new QComboBox;
      for (const auto& c : p.choices)
        combo->addItem(QString::fromStdString(c.label), QVariant::fromValue(c.value));
      combo->setCurrentIndex(combo->findData(QVariant::fromValue(std::atoll(p.value.c_str()))));
      connect(combo, &QComboBox::currentIndexChanged, this,
              [this, i, combo](int) { Changed(i, std::to_string(combo->currentData().toLongLong())); });
      setters_[i] = [combo](const std::string& v) {
        combo->setCurrentIndex(combo->findData(QVariant::fromValue(std::atoll(v.c_str()))));
      };
      return combo;
    }
    case PropertyKind::Double: {
      auto* spin = new QDoubleSpinBox;
      spin->setRange(p.minimum, p.maximum);
      spin->setDecimals(3);
      spin->setValue(std::atof(p.value.c_str()));
      connect(spin, &QDoubleSpinBox::valueChanged, this,
              [this, i](double v) { Changed(i, std::to_string(v)); });
      setters_[i] = [spin](const std::string& v) { spin->setValue(std::atof(v.c_str())); };
      return spin;
    }
    case PropertyKind::Text: {
      auto* edit = new QLineEdit(QString::fromStdString(p.value));
      connect(edit, &QLineEdit::editingFinished, this,
              [this, i, edit] { Changed(i, edit->text().toStdString()); });
      setters_[i] = [edit](const std::string& v) { edit->setText(QString::fromStdString(v)); };
      return edit;
    }
    case PropertyKind::Integer: break;
  }
  // Small ranges get a slider, as picture controls do; the spin box shows the number.
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* spin = new QSpinBox;
  const int lo = static_cast<int>(std::max(p.minimum, double(std::numeric_limits<int>::min())));
  const int hi = static_cast<int>(std::min(p.maximum, double(std::numeric_limits<int>::max())));
  spin->setRange(lo, hi);
  spin->setValue(std::atoi(p.value.c_str()));
  if (static_cast<double>(hi) - lo <= 100000) {
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(lo, hi);
    slider->setValue(spin->value());
    connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
    connect(spin, &QSpinBox::valueChanged, slider, &QSlider::setValue);
    layout->addWidget(slider, 1);
  }
  layout->addWidget(spin);
  connect(spin, &QSpinBox::valueChanged, this, [this, i](int v) { Changed(i, std::to_string(v)); });
  setters_[i] = [spin](const std::string& v) { spin->setValue(std::atoi(v.c_str())); };
  return row;
}

void PropertyPageDialog::ResetDefaults() {
  for (std::size_t i = 0; i < properties_.size(); ++i)
    if (setters_[i] && properties_[i].value != properties_[i].defaultValue)
      setters_[i](properties_[i].defaultValue);
}
