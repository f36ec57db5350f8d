#include "app/DesktopShell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace plashbox {

namespace {

void OpenWithDesktop(const std::string& Target) {
  const QString target = QString::fromStdString(Target);
  const QUrl url(target);
  if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1) {  // not a drive letter
    QDesktopServices::openUrl(url);
    return;
  }
  QString path = QDir::current().absoluteFilePath(target);
  if (!QFileInfo::exists(path) && QCoreApplication::instance())
    path = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(target);
  QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

TShellOpen& Opener() {
  static TShellOpen opener = OpenWithDesktop;
  return opener;
}

}  // namespace

void ShellOpen(const std::string& Target) { Opener()(Target); }

void SetShellOpen(TShellOpen NewOpener) { Opener() = NewOpener ? std::move(NewOpener) : OpenWithDesktop; }

}  // namespace plashbox
