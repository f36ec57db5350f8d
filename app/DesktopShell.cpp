#include "app/DesktopShell.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace plashbox {

namespace {

// What a desktop needs to open a kind of document.
QString WhatToInstall(const QString& Path) {
  if (Path.endsWith(".pdf", Qt::CaseInsensitive)) return "a PDF viewer (for example: apt install evince)";
  if (Path.endsWith(".chm", Qt::CaseInsensitive)) return "a CHM viewer (for example: apt install xchm)";
  return "a web browser and the desktop's opener (for example: apt install xdg-utils firefox-esr)";
}

// The message of a document that did not open: what, the reason when one is known, and what to
// install.
struct TOpenFailure {
  QString What, Advice;
  std::string Text(const QString& Why = {}) const {
    return (What + (Why.isEmpty() ? QString() : ": " + Why) + ". " + Advice).toStdString();
  }
};

#if defined(_WIN32) || defined(__APPLE__)
void OpenUrl(const QUrl& Url, const TOpenFailure& Failure, const TShellFailure&) {
  if (!QDesktopServices::openUrl(Url)) throw EShellOpenError(Failure.Text());
}
#else
// The last line the opener wrote on its error output (of its last bytes, kept in Errors), or
// what its end says.
QString Complaint(QProcess& Opener, const QByteArray& Errors) {
  const QStringList lines = QString::fromLocal8Bit(Errors).split('\n', Qt::SkipEmptyParts);
  if (!lines.isEmpty()) return lines.last().trimmed();
  if (Opener.exitStatus() == QProcess::CrashExit) return Opener.program() + " crashed";
  return QString("%1 ended with status %2").arg(QFileInfo(Opener.program()).fileName()).arg(Opener.exitCode());
}

// xdg-open, watched for OpenerWatchSeconds: QDesktopServices would say yes as soon as it had
// started it, whatever became of the document.
void OpenUrl(const QUrl& Url, const TOpenFailure& Failure, const TShellFailure& Failed) {
  const QString opener = QStandardPaths::findExecutable("xdg-open");
  if (opener.isEmpty()) throw EShellOpenError(Failure.Text("xdg-open is not installed"));
  auto* process = new QProcess(QCoreApplication::instance());
  process->setProgram(opener);
  process->setArguments({Url.toString(QUrl::FullyEncoded)});
  process->setStandardOutputFile(QProcess::nullDevice());
  process->setStandardInputFile(QProcess::nullDevice());
  // Once the watch is over the process is left to run; it is freed when it ends.
  auto watching = std::make_shared<bool>(true);
  // Only the end of what it complains is kept: a browser run in the foreground may write for
  // hours.
  auto errors = std::make_shared<QByteArray>();
  QObject::connect(process, &QProcess::readyReadStandardError, process, [process, errors] {
    constexpr qsizetype Kept = 4096;
    errors->append(process->readAllStandardError());
    if (errors->size() > Kept) errors->remove(0, errors->size() - Kept);
  });
  QTimer::singleShot(OpenerWatchSeconds * 1000, process, [watching] { *watching = false; });
  const auto fail = [watching, Failure, Failed](const QString& Why) {
    if (*watching && Failed) Failed(Failure.Text(Why));
    *watching = false;
  };
  QObject::connect(process, &QProcess::finished, process, [process, fail, errors](int Code, QProcess::ExitStatus Status) {
    errors->append(process->readAllStandardError());
    if (Status != QProcess::NormalExit || Code != 0) fail(Complaint(*process, *errors));
    process->deleteLater();
  });
  QObject::connect(process, &QProcess::errorOccurred, process, [process, fail](QProcess::ProcessError Error) {
    if (Error != QProcess::FailedToStart) return;
    fail(process->program() + " could not be started: " + process->errorString());
    process->deleteLater();
  });
  process->start();
}
#endif

void OpenWithDesktop(const std::string& Target, const TShellFailure& Failed) {
  QString target = QString::fromStdString(Target);
  const QUrl url(target);
  if (url.isValid() && !url.scheme().isEmpty() && url.scheme().size() > 1) {  // not a drive letter
    OpenUrl(url, {"No program could open " + target, "Install " + WhatToInstall(target) + "."}, Failed);
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
  OpenUrl(file,
          {"No program could open " + name + " (" + QDir::toNativeSeparators(path) + ")",
           "Install " + WhatToInstall(path) + "."},
          Failed);
}

using TOpener = std::function<void(const std::string& Target, const TShellFailure& Failed)>;

TOpener& Opener() {
  static TOpener opener = OpenWithDesktop;
  return opener;
}

}  // namespace

void ShellOpen(const std::string& Target, const TShellFailure& Failed) { Opener()(Target, Failed); }

void SetShellOpen(TShellOpen NewOpener) {
  if (NewOpener)
    Opener() = [Open = std::move(NewOpener)](const std::string& Target, const TShellFailure&) { Open(Target); };
  else
    Opener() = OpenWithDesktop;
}

}  // namespace plashbox
