#pragma once
// Refuses input whose UTF-8 form is longer than a store can hold, so that
// what the user types is what gets stored.

#include <QValidator>
#include <cstddef>

class TUtf8LengthValidator : public QValidator {
 public:
  TUtf8LengthValidator(std::size_t maxBytes, QObject* parent) : QValidator(parent), maxBytes_(maxBytes) {}

  State validate(QString& input, int&) const override {
    return static_cast<std::size_t>(input.toUtf8().size()) <= maxBytes_ ? Acceptable : Invalid;
  }

 private:
  std::size_t maxBytes_;
};
