// The one QApplication of a GUI test program. It is made when the first case runs, not when
// CTest lists the cases (which happens at build time, without a display), and AfterStart runs
// right after it (a style, class registrations).
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <utility>

namespace plashbox::tests {

class TQtTestApplication : public ::testing::Environment {
 public:
  explicit TQtTestApplication(std::function<void()> AfterStart) : AfterStart(std::move(AfterStart)) {}
  void SetUp() override {
    static int argc = 1;
    static char name[] = "plashbox-test";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    App = std::make_unique<QApplication>(argc, argv);
    // Settings the program remembers go to a test folder, never the user's; and one of this
    // process's own, since CTest runs the cases of one program side by side and a case that
    // clears the settings would otherwise clear them under another.
    QStandardPaths::setTestModeEnabled(true);
    Settings = std::make_unique<QTemporaryDir>();
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Settings->path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, Settings->path());
    if (AfterStart) AfterStart();
  }
  void TearDown() override {
    App.reset();
    Settings.reset();
  }

 private:
  std::function<void()> AfterStart;
  std::unique_ptr<QApplication> App;
  std::unique_ptr<QTemporaryDir> Settings;
};

inline ::testing::Environment* InstallQtTestApplication(std::function<void()> AfterStart = {}) {
  return ::testing::AddGlobalTestEnvironment(new TQtTestApplication(std::move(AfterStart)));
}

}  // namespace plashbox::tests
