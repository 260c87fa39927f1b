#pragma once
// The application object: its title, the six windows it owns and creates in
// a fixed order, and the error box for exceptions that escape a handler.

#include <QApplication>
#include <exception>
#include <functional>

class TApplication : public QApplication {
  Q_OBJECT

 public:
  static constexpr const char* kTitle = "Orvex Ziru";

  TApplication(int& argc, char** argv);
  ~TApplication() override;

  QString Title() const { return title_; }
  void SetTitle(const QString& title) { title_ = title; }

  // Creates the six windows, each completely before the next.
  void CreateForms();
  // Shows the main window and runs the message loop until it closes.
  int Run();
  // Destroys the windows, last created first.
  void DestroyForms();

  // The standard error box for an exception that escaped a handler.
  void ShowException(std::exception_ptr error);
  // A notice of the settings store, in a warning box.
  void ShowNotice(const QString& text);

  bool notify(QObject* receiver, QEvent* event) override;

  // Called after each window has been created, in creation order.
  std::function<void(QWidget* form)> OnFormCreated;

 private:
  QString title_;
};
