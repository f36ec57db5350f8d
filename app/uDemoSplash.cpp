#include "app/uDemoSplash.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <cstring>

#include "app/DesktopShell.h"
#include "frame/JpegPicture.h"
#include "app/SplashArtwork.h"
#include "panels/verslab.h"
#include "panels/Palette.h"

namespace plashbox {

// ---- TClickArea

TClickArea::TClickArea(QWidget* Parent) : QWidget(Parent) {}

void TClickArea::SetPicture(const QImage& Picture) {
  Picture_ = Picture;
  update();
}

void TClickArea::paintEvent(QPaintEvent*) {
  if (Picture_.isNull()) return;
  QPainter painter(this);
  painter.drawImage(0, 0, Picture_);
}

void TClickArea::mousePressEvent(QMouseEvent* Event) {
  if (Event->button() == Qt::LeftButton) Pressed_ = true;
  Event->accept();
}

void TClickArea::mouseReleaseEvent(QMouseEvent* Event) {
  if (Event->button() != Qt::LeftButton) return;
  const bool click = Pressed_ && rect().contains(Event->position().toPoint());
  Pressed_ = false;
  Event->accept();
  if (click) emit Clicked();
}

// ---- The picture

QImage DecodeSplashPicture(std::span<const uint8_t> Jpeg) {
  const TJpegPicture picture = DecodeJpeg(Jpeg);
  QImage image(picture.Width, picture.Height, QImage::Format_RGB888);
  const size_t rowBytes = size_t(picture.Width) * 3;
  // QImage rows may be padded; the decoder's are not.
  for (int y = 0; y < picture.Height; ++y)
    std::memcpy(image.scanLine(y), picture.Rgb.data() + rowBytes * size_t(y), rowBytes);
  return image.convertToFormat(QImage::Format_RGB32);
}

// ---- TWELCOME

TWELCOME::TWELCOME(QWidget* Owner)
    : QWidget(Owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setWindowTitle(QStringLiteral("WELCOME"));
  // Only the main window's closing ends the program.
  setAttribute(Qt::WA_QuitOnClose, false);
  FillBackground(*this, Silver);
  setFixedSize(ClientWidth + 2 * BorderWidth, ClientHeight + 2 * BorderWidth);

  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(BorderWidth, BorderWidth, ClientWidth, ClientHeight);
  FillBackground(*Panel1, Silver);

  Image1 = new TClickArea(Panel1);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(0, 0, SplashArtworkWidth, SplashArtworkHeight);
  try {
    Image1->SetPicture(DecodeSplashPicture(SplashArtworkJpeg()));
    Image1->resize(Image1->Picture().size());  // sized to the picture; the panel shows what fits
  } catch (const EJpegError&) {
    // Without its picture the window is still a working splash: silver, with its version lines.
  }
  connect(Image1, &TClickArea::Clicked, this, &TWELCOME::Image1Click);

  PaintBox1 = new TClickArea(Panel1);
  PaintBox1->setObjectName(QStringLiteral("PaintBox1"));
  PaintBox1->setGeometry(16, 264, 257, 41);
  PaintBox1->setCursor(Qt::PointingHandCursor);
  connect(PaintBox1, &TClickArea::Clicked, this, &TWELCOME::PaintBox1Click);

  PaintBox2 = new TClickArea(Panel1);
  PaintBox2->setObjectName(QStringLiteral("PaintBox2"));
  // Only the maker's link text opens the page; a click on the rest of the picture closes it.
  const TSplashArea maker = SplashMakerLinkArea();
  PaintBox2->setGeometry(maker.Left, maker.Top, maker.Width, maker.Height);
  PaintBox2->setCursor(Qt::PointingHandCursor);
  connect(PaintBox2, &TClickArea::Clicked, this, &TWELCOME::PaintBox2Click);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(FadeInterval);
  connect(Timer1, &QTimer::timeout, this, &TWELCOME::Timer1Timer);

  SetAlphaBlendValue(InitialAlphaBlend);
  CentreOnScreen();
  FormCreate();
  if (QCoreApplication* application = QCoreApplication::instance()) application->installEventFilter(this);
}

void TWELCOME::FormCreate() {
  // Qt paints every widget double-buffered; nothing to switch on for Panel1.
  const auto makeLine = [this](TVersionResources Resource) {
    auto* label = new TzekVersionLabel(Panel1);
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(7);
    label->setFont(font);
    SetTextColour(*label, MidGrey);
    label->setAutoFillBackground(false);  // the picture shows through
    label->SetVersionResource(Resource);
    label->SetShowInfoPrefix(false);
    label->SetAutoSize(true);  // fits the text in the font set above
    label->raise();
    return label;
  };
  VersionLabel = makeLine(vrProductVersion);
  VersionLabel->setObjectName(QStringLiteral("VersionLabel"));
  VersionLabel->move(10, Panel1->height() - 2 * VersionLabel->height() - 8);
  CopyrightLabel = makeLine(vrLegalCopyright);
  CopyrightLabel->setObjectName(QStringLiteral("CopyrightLabel"));
  CopyrightLabel->move(10, Panel1->height() - CopyrightLabel->height() - 5);
}

bool TWELCOME::eventFilter(QObject* Watched, QEvent* Event) {
  if (Event->type() == QEvent::Show && Watched != this && Watched->isWidgetType() && isVisible()) {
    const auto* widget = static_cast<QWidget*>(Watched);
    // Plain windows only: menus, tool tips and message boxes stay in front of the splash.
    if (widget->windowType() == Qt::Window && !qobject_cast<const TWELCOME*>(widget))
      // The Show event comes before the window is mapped: raise once it is.
      QMetaObject::invokeMethod(this, &QWidget::raise, Qt::QueuedConnection);
  }
  return QWidget::eventFilter(Watched, Event);
}

void TWELCOME::CentreOnScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->geometry();
  move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
}

void TWELCOME::SetAlphaBlendValue(int Value) {
  AlphaBlendValue_ = std::clamp(Value, 0, 255);
  setWindowOpacity(AlphaBlendValue_ / 255.0);
}

void TWELCOME::Image1Click() {
  // A running fade goes on at its own pace: a second click changes nothing.
  if (!Timer1->isActive()) Timer1->start();
}

void TWELCOME::OpenAndFade(const char* Address) {
  // Whatever becomes of the request, the window fades out.
  try {
    ShellOpen(Address);
  } catch (...) {
  }
  Image1Click();
}

void TWELCOME::keyPressEvent(QKeyEvent* Event) {
  if (Event->key() != Qt::Key_Escape) return QWidget::keyPressEvent(Event);
  Event->accept();
  Image1Click();
}

void TWELCOME::PaintBox1Click() { OpenAndFade(ProductWebAddress); }

void TWELCOME::PaintBox2Click() { OpenAndFade(MakerWebAddress); }

void TWELCOME::Timer1Timer() {
  if (AlphaBlendValue_ != 0) {
    SetAlphaBlendValue(AlphaBlendValue_ - FadeStep);
    return;
  }
  Timer1->stop();
  deleteLater();
}

}  // namespace plashbox
