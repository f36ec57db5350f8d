#include "app/DesktopShell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace plashbox {

namespace {

// What a desktop needs to open a kind of document.
QString WhatToInstall(const QString& Path) {
  if (Path.endsWith(".pdf", Qt::CaseInsensitive)) return "a PDF viewer (for example: apt install evince)";
  if (Path.endsWith(".chm", Qt::CaseInsensitive)) return "a CHM viewer (for example: apt install xchm)";
  return "a web browser and the desktop's opener (for example: apt install xdg-utils firefox-esr)";
}

void OpenWithDesktop(const std::string& Target) {
  QString target = QString::fromStdString(Target);
  const QUrl url(target);
  if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1) {  // not a drive letter
    if (!QDesktopServices::openUrl(url))
      throw EShellOpenError("No program could open " + Target + ". Install " + WhatToInstall(target).toStdString() + ".");
    return;
  }
  QString anchor;
  if (const qsizetype hash = target.indexOf('#'); hash >= 0) {
    anchor = target.mid(hash + 1);
    target.truncate(hash);
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
  const QString name = QFileInfo(path).fileName();
  if (!QFileInfo::exists(path))
    throw EShellOpenError((name + " is missing: " + QDir::toNativeSeparators(path)).toStdString());
  QUrl file = QUrl::fromLocalFile(path);
  if (!anchor.isEmpty()) file.setFragment(anchor);
  if (!QDesktopServices::openUrl(file))
    throw EShellOpenError(("No program could open " + name + " (" + QDir::toNativeSeparators(path) + "). Install " +
                           WhatToInstall(path) + ".")
                              .toStdString());
}

TShellOpen& Opener() {
  static TShellOpen opener = OpenWithDesktop;
  return opener;
}

}  // namespace

void ShellOpen(const std::string& Target) { Opener()(Target); }

void SetShellOpen(TShellOpen NewOpener) { Opener() = NewOpener ? std::move(NewOpener) : OpenWithDesktop; }

}  // namespace plashbox
