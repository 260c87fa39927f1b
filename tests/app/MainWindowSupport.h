#pragma once
// What the main window tests share: the program's application object, a
// settings folder of their own and the buttons read as one line.

#include <QCoreApplication>
#include <QPushButton>
#include <string>

#include "app/Forms.h"
#include "app/TApplication.h"
#include "app/TfrmMain.h"
#include "tests/app/SettingsFolder.h"
#include "widgets/TPictureButton.h"

inline TApplication& App() { return *static_cast<TApplication*>(QCoreApplication::instance()); }

// The main window's buttons, in the order of its state table.
inline std::string Buttons() {
  auto on = [](const QPushButton* b) { return b->isEnabled() ? "1" : "0"; };
  const QPushButton* video[] = {frmMain->btnPreview, frmMain->btnVideoProcessing, frmMain->btnOverlay,
                                frmMain->btnSnapShot};
  std::string videoState;
  for (const QPushButton* b : video) videoState += on(b);
  return std::string("start ") + on(frmMain->btnStart) + " stop " + on(frmMain->btnStop) + " windows " +
         videoState + " settings " + on(frmMain->btnConfiguration) + " help " + on(frmMain->btnHelp);
}
inline constexpr const char* kIdleNoDevice = "start 0 stop 0 windows 0000 settings 1 help 1";
inline constexpr const char* kIdle = "start 1 stop 0 windows 1111 settings 1 help 1";
inline constexpr const char* kRequested = "start 0 stop 1 windows 1111 settings 1 help 1";
inline constexpr const char* kRecording = "start 0 stop 1 windows 1111 settings 0 help 1";
inline constexpr const char* kStopped = "start 1 stop 0 windows 1111 settings 0 help 1";
