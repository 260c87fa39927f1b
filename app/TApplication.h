#pragma once
// The application object: its title, the six windows it owns and creates in
// a fixed order, and the error box for exceptions that escape a handler. It
// gives every window the program's look: the style and colours, the icon and
// hints shown as balloons.

#include <QApplication>
#include <exception>
#include <functional>

class TBalloonHints;

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

  // Shows the hints of every window as balloons with the header "Info".
  TBalloonHints& BalloonHints() { return *balloonHints_; }

 private:
  QString title_;
  TBalloonHints* balloonHints_;
};
