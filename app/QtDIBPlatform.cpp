#include "app/QtDIBPlatform.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace plashbox {

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
  if (!Source || Source->BitsPerPixel() != 24 || !Source->PixelData()) {
    painter.fillRect(rect(), Qt::black);
    return;
  }
  // Stored rows run bottom-up; the part shown is turned upright into a picture in the screen's
  // own format, so that painting it is a plain copy, not a conversion under a mirror transform.
  const QRect part = SourceRect.intersected(QRect(0, 0, Source->Width(), Source->AbsHeight()));
  CopyUpright(*Source, Shown, part);
  painter.drawImage(Target.topLeft() + (part.topLeft() - SourceRect.topLeft()), Shown, part);
}

void CopyUpright(const TFastDIB& Source, QImage& Picture, const QRect& Part) {
  const int w = Source.Width(), h = Source.AbsHeight();
  if (Picture.size() != QSize(w, h) || Picture.format() != QImage::Format_RGB32)
    Picture = QImage(w, h, QImage::Format_RGB32);
  const QRect part = Part.intersected(QRect(0, 0, w, h));
  const int n = part.width();
  for (int r = part.top(); r <= part.bottom(); ++r) {
    const TPixelColor* from = Source.Rows24()[h - 1 - r] + part.left();
    auto* to = reinterpret_cast<QRgb*>(Picture.scanLine(r)) + part.left();
    int x = 0;
    if constexpr (std::endian::native == std::endian::little) {
      // A stored pixel's bytes are blue, green, red: a screen pixel's own order here. Four bytes
      // read at a time and the fourth (the next pixel's blue) made opaque alpha is a plain copy
      // that the compiler vectorises; the row's last pixel is left to the loop below, so no read
      // runs past the row.
      for (; x + 1 < n; ++x) {
        uint32_t bytes;
        std::memcpy(&bytes, &from[x], sizeof bytes);
        to[x] = bytes | 0xFF000000u;
      }
    }
    for (; x < n; ++x) to[x] = qRgb(from[x].Red, from[x].Green, from[x].Blue);
  }
}

QImage UprightPicture(const TFastDIB& Source) {
  QImage picture;
  if (Source.BitsPerPixel() == 24 && Source.PixelData())
    CopyUpright(Source, picture, QRect(0, 0, Source.Width(), Source.AbsHeight()));
  return picture;
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
