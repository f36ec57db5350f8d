// The main window's pictures and animations: Save Picture and Record. The encoding and the
// files are the frame layer's (frame/GifAnimation.h, frame/FileWriting.h); here are only the
// dialogs, the tool-bar button, the mark over the tank and the hand-over of frames.
#include <algorithm>

#include <QApplication>
#include <QBuffer>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QPushButton>
#include <QSpinBox>

#include "app/Artwork.h"
#include "app/QtDIBPlatform.h"
#include "app/uDemoMainForm.h"
#include "frame/FileWriting.h"
#include "frame/FrameTimerCore.h"
#include "frame/GifAnimation.h"
#include "frame/MessageText.h"
#include "frame/RgbPicture.h"
#include "panels/Palette.h"
#include "panels/SpeedButton.h"

namespace plashbox {

namespace {

QString Printable(const std::exception& E) { return QString::fromStdString(PrintableText(E.what())); }

// The file and every n-th frame of a recording.
class TRecordDialog : public QDialog {
 public:
  explicit TRecordDialog(QWidget* Parent) : QDialog(Parent) {
    setWindowTitle("Record");
    auto* form = new QFormLayout(this);
    auto* fileRow = new QHBoxLayout;
    File = new QLineEdit(QDir::home().filePath("plashbox.gif"));
    File->setMinimumWidth(260);
    auto* browse = new QPushButton("Browse...");
    fileRow->addWidget(File);
    fileRow->addWidget(browse);
    form->addRow("File:", fileRow);
    Every = new QSpinBox;
    Every->setRange(1, 100);
    Every->setToolTip("1 records every frame; 2 every second frame, and so on");
    form->addRow("Every n-th frame:", Every);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText("Record");
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, [this] {
      const QString name = QFileDialog::getSaveFileName(this, "Record", File->text(), "Animated GIF (*.gif)");
      if (!name.isEmpty()) File->setText(name);
    });
  }
  QLineEdit* File;
  QSpinBox* Every;
};

}  // namespace

void TMainForm::CreateRecordControls() {
  FRecordButton = new TCustomSpeedButton(FToolBar);
  FRecordButton->setObjectName("RecordButton");
  FRecordButton->setGeometry(345, 2, 29, 31);  // the last of the tool bar's buttons
  FRecordButton->SetFlat(true);
  FRecordButton->SetColor(Qt::white);
  FRecordButton->SetGlyph(RecordGlyph());
  FRecordButton->SetGroupIndex(323);
  FRecordButton->SetAllowAllUp(true);
  FRecordButton->setToolTip("Record the frames shown into an animated GIF; press again to stop");
  FRecordButton->OnClick = [this] {
    // The button shows the recording's state, not the press.
    FRecordButton->SetDown(Recording());
    RecordDialog();
  };

  FRecordMark = new QLabel(FBox);
  FRecordMark->setObjectName("RecordingMark");
  FRecordMark->setAutoFillBackground(true);
  FillBackground(*FRecordMark, QColor(255, 255, 255, 210));
  SetTextColour(*FRecordMark, RecordingRed);
  QFont bold = FRecordMark->font();
  bold.setBold(true);
  FRecordMark->setFont(bold);
  FRecordMark->setContentsMargins(4, 1, 4, 1);
  FRecordMark->move(6, 6);
  FRecordMark->hide();

  // After the scene files, before the separator above About.
  const QList<QAction*> items = FSlideshowMenu->actions();
  QAction* before = items.size() >= 2 ? items[items.size() - 2] : nullptr;
  auto* picture = new QAction("Save Picture...", FSlideshowMenu);
  picture->setObjectName("SavePicture1");
  picture->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
  picture->setShortcutContext(Qt::WidgetShortcut);  // shown; the window's own key action does it
  connect(picture, &QAction::triggered, this, &TMainForm::SavePictureDialog);
  auto* record = new QAction("Record...", FSlideshowMenu);
  record->setObjectName("Record1");
  connect(record, &QAction::triggered, this, &TMainForm::RecordDialog);
  FSlideshowMenu->insertActions(before, {picture, record});
}

void TMainForm::SavePictureDialog() {
  const QString name = QFileDialog::getSaveFileName(this, "Save Picture", QString(), "PNG pictures (*.png)");
  if (!name.isEmpty()) SavePictureFile(name);
}

bool TMainForm::SavePictureFile(const QString& FileName) {
  // Made whole in memory first, so that a file that cannot be written is left as it was.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!UprightPicture(FCore->GetSurface()).save(&buffer, "PNG")) {
    ShowError("The picture could not be made for " + FileName);
    return false;
  }
  try {
    WriteFileAtomically(FileName.toStdString(), std::string_view(bytes.constData(), size_t(bytes.size())));
  } catch (const std::exception& e) {
    ShowError(Printable(e));
    return false;
  }
  return true;
}

void TMainForm::RecordDialog() {
  if (Recording()) {
    StopRecording();
    return;
  }
  TRecordDialog dialog(this);
  if (dialog.exec() == QDialog::Accepted) StartRecording(dialog.File->text(), dialog.Every->value());
}

bool TMainForm::StartRecording(const QString& FileName, int Every) {
  if (Recording()) return false;
  const TFastDIB& surface = FCore->GetSurface();
  try {
    // The queue holds up to 128 MiB of frames, 2 to 64 of them, before frames are left out.
    const size_t frameBytes = std::max<size_t>(1, size_t(surface.Width()) * size_t(surface.AbsHeight()) * 3);
    FRecorder = std::make_unique<TGifRecorder>(FileName.toStdString(), surface.Width(), surface.AbsHeight(),
                                                int32_t(WindowFrameInterval) * std::max(1, Every),
                                                std::clamp<size_t>((size_t(128) << 20) / frameBytes, 2, 64));
  } catch (const std::exception& e) {
    ShowError(Printable(e));
    return false;
  }
  FRecordEvery = std::max(1, Every);
  FRecordTicks = 0;
  FRecordTime.start();
  FRecordButton->SetDown(true);
  ShowRecordingMark();
  FRecordMark->show();
  return true;
}

void TMainForm::RecordFrame() {
  if (!FRecorder) return;
  if (!FRecorder->Error().empty()) {
    // The worker has stopped and removed the partial file.
    const QString error = QString::fromStdString(PrintableText(FRecorder->Error()));
    EndRecording();
    ShowError("The recording stopped: " + error);
    return;
  }
  // A frame that finds the queue full is dropped rather than holding up the tank. A tank resized
  // while recording stops it, with a message, at its first frame of the new size.
  if (++FRecordTicks % FRecordEvery == 0) FRecorder->Push(SurfaceAsRgb(FCore->GetSurface()));
  ShowRecordingMark();
}

void TMainForm::ShowRecordingMark() {
  const qint64 seconds = FRecordTime.isValid() ? FRecordTime.elapsed() / 1000 : 0;
  QString text = QString("\u25CF REC %1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QChar('0'));
  // Frames the disk could not keep up with are said, not hidden.
  const int64_t dropped = FRecorder ? FRecorder->Dropped() : 0;
  if (dropped > 0) text += QString(" (%1 left out)").arg(dropped);
  FRecordMark->setText(text);
  FRecordMark->adjustSize();
}

bool TMainForm::StopRecording() {
  if (!FRecorder) return false;
  const QString name = QString::fromStdString(FRecorder->FileName());
  QProgressDialog progress("Writing " + QFileInfo(name).fileName() + "...", QString(), 0, 1, this);
  progress.setWindowTitle("Record");
  progress.setWindowModality(Qt::WindowModal);
  progress.setMinimumDuration(300);
  bool ok = true;
  try {
    FRecorder->Finish([&](int64_t Written, int64_t Taken) {
      progress.setMaximum(int(std::max<int64_t>(1, Taken)));
      progress.setValue(int(std::min(Written, Taken)));
      QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    });
  } catch (const std::exception& e) {
    ok = false;
    EndRecording();
    ShowError("The recording stopped: " + Printable(e));
  }
  if (ok) EndRecording();
  return ok;
}

void TMainForm::EndRecording() {
  FRecorder.reset();  // an unfinished file is removed with it
  FRecordTime.invalidate();
  FRecordButton->SetDown(false);
  FRecordMark->hide();
}

}  // namespace plashbox
