#include "app/QtDIBPlatform.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace plashbox {

QImage SurfaceImage(const TFastDIB& Surface) {
  if (Surface.BitsPerPixel() != 24 || !Surface.PixelData()) return {};
  return QImage(Surface.PixelData(), Surface.Width(), Surface.AbsHeight(), Surface.RowBytes(), QImage::Format_BGR888);
}

TPaintBox::TPaintBox(QWidget* Parent) : QWidget(Parent), FHandle(TQtDIBPlatform::Instance().Register(*this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);  // every pixel is painted from the surface
}

TPaintBox::~TPaintBox() { TQtDIBPlatform::Instance().Unregister(FHandle); }

void TPaintBox::Present(const TFastDIB& NewSource, int X, int Y, int W, int H, int SrcX, int SrcY) {
  Source = &NewSource;
  Target = QRect(X, Y, W, H);
  SourceRect = QRect(SrcX, SrcY, W, H);
  repaint(Target);
}

void TPaintBox::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QImage image = Source ? SurfaceImage(*Source) : QImage();
  if (image.isNull()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  // Stored rows run bottom-up: mirror the picture about its middle line while painting.
  const int h = image.height();
  painter.save();
  painter.translate(0, Target.top() + Target.bottom() + 1);
  painter.scale(1, -1);
  const QRect flippedSource(SourceRect.left(), h - SourceRect.top() - SourceRect.height(), SourceRect.width(),
                            SourceRect.height());
  painter.drawImage(Target, image, flippedSource);
  painter.restore();
}

int TQtDIBPlatform::ScreenBitsPerPixel() {
  const QScreen* screen = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                              ? QGuiApplication::primaryScreen()
                              : nullptr;
  return screen ? screen->depth() : 24;
}

int TQtDIBPlatform::ProbeGreenBits() { return 6; }  // 16-bit screens today are 5-6-5

TDIBSection TQtDIBPlatform::CreateBitmap(const TBitmapInfo& Info) { return Memory.CreateBitmap(Info); }
void TQtDIBPlatform::DeleteDC(TDIBHandle DC) { Memory.DeleteDC(DC); }
void TQtDIBPlatform::DeleteBitmap(TDIBHandle Bitmap) { Memory.DeleteBitmap(Bitmap); }

int TQtDIBPlatform::Draw(TDIBHandle Target, int X, int Y, int W, int H, int SrcX, int SrcY, const TFastDIB& Source) {
  const auto box = Boxes.find(Target);
  if (box == Boxes.end()) return 0;
  box->second->Present(Source, X, Y, W, H, SrcX, SrcY);
  return 1;
}

TDIBHandle TQtDIBPlatform::Register(TPaintBox& Box) {
  // Far above the memory back-end's handles, so the two never meet.
  const auto handle = TDIBHandle((std::uintptr_t(1) << 48) + NextBox++);
  Boxes[handle] = &Box;
  return handle;
}

void TQtDIBPlatform::Unregister(TDIBHandle Handle) { Boxes.erase(Handle); }

TQtDIBPlatform& TQtDIBPlatform::Instance() {
  static TQtDIBPlatform platform;
  return platform;
}

}  // namespace plashbox
