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
  // The current folder first, then the program's own, then where an installed program keeps
  // its documents.
  QStringList places{QDir::currentPath()};
  if (QCoreApplication::instance()) {
    const QDir program(QCoreApplication::applicationDirPath());
    places << program.path() << program.absoluteFilePath("../share/plashbox");
  }
  QString path = QDir(places.first()).absoluteFilePath(target);
  for (const QString& place : places)
    if (QFileInfo::exists(QDir(place).absoluteFilePath(target))) {
      path = QDir(place).absoluteFilePath(target);
      break;
    }
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
