#include "app/QtDIBPlatform.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "sim/WorkerPool.h"

namespace plashbox {

TPaintBox::TPaintBox(QWidget* Parent) : QWidget(Parent), FHandle(TQtDIBPlatform::Instance().Register(*this)) {
  setAttribute(Qt::WA_OpaquePaintEvent);  // every pixel is painted from the surface
}

TPaintBox::~TPaintBox() { TQtDIBPlatform::Instance().Unregister(FHandle); }

void TPaintBox::Present(const TFastDIB& NewSource, int X, int Y, int W, int H, int SrcX, int SrcY) {
  Source = &NewSource;
  Target = QRect(X, Y, W, H);
  SourceRect = QRect(SrcX, SrcY, W, H);
  repaint(OnBox(Target));
}

QRect TPaintBox::OnBox(const QRect& SurfacePart) const {
  const int w = Source->Width(), h = Source->AbsHeight();
  if (size() == QSize(w, h) || w <= 0 || h <= 0) return SurfacePart;
  // Every box pixel the part touches, rounded outwards.
  const auto scale = [](int V, int Box, int Surface, bool Up) {
    const int64_t n = int64_t(V) * Box;
    return int((n + (Up ? Surface - 1 : 0)) / Surface);
  };
  const int left = scale(SurfacePart.left(), width(), w, false), top = scale(SurfacePart.top(), height(), h, false);
  const int right = scale(SurfacePart.left() + SurfacePart.width(), width(), w, true);
  const int bottom = scale(SurfacePart.top() + SurfacePart.height(), height(), h, true);
  return QRect(left, top, right - left, bottom - top);
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
  const QRect shownAt(Target.topLeft() + (part.topLeft() - SourceRect.topLeft()), part.size());
  if (size() == Shown.size()) {
    painter.drawImage(shownAt.topLeft(), Shown, part);
    return;
  }
  // Scaled to the box: each box pixel shows the surface under its centre, blended with its
  // neighbours. The pointer is mapped the same way (TTankSession::ViewToPaintArea).
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  const double sx = double(width()) / Shown.width(), sy = double(height()) / Shown.height();
  painter.drawImage(QRectF(shownAt.x() * sx, shownAt.y() * sy, shownAt.width() * sx, shownAt.height() * sy), Shown, part);
}

namespace {

// N stored pixels (blue, green, red bytes) as opaque screen pixels, the same order of bytes.
void CopyRow(const TPixelColor* From, QRgb* To, int N) {
  int x = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // Four bytes read at a time and the fourth (the next pixel's blue) made opaque alpha; the
    // row's last pixel is left to the loop below, so no read runs past the row.
    for (; x + 1 < N; ++x) {
      uint32_t bytes;
      std::memcpy(&bytes, &From[x], sizeof bytes);
      To[x] = bytes | 0xFF000000u;
    }
  }
  for (; x < N; ++x) To[x] = qRgb(From[x].Red, From[x].Green, From[x].Blue);
}

#if defined(__x86_64__) || defined(__i386__)
// Four pixels a shuffle: sixteen bytes read (the last four belong to the pixels after, so the
// row's last six pixels go the plain way), each pixel's three bytes spread to four, alpha set.
__attribute__((target("ssse3"))) void CopyRowSSSE3(const TPixelColor* From, QRgb* To, int N) {
  const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  const __m128i opaque = _mm_set1_epi32(int32_t(0xFF000000u));
  int x = 0;
  for (; x + 6 <= N; x += 4) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(From + x));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(To + x), _mm_or_si128(_mm_shuffle_epi8(bytes, spread), opaque));
  }
  CopyRow(From + x, To + x, N - x);
}
#endif

using TCopyRowFn = void (*)(const TPixelColor*, QRgb*, int);
TCopyRowFn BestCopyRow() {
#if defined(__x86_64__) || defined(__i386__)
  if (__builtin_cpu_supports("ssse3")) return &CopyRowSSSE3;
#endif
  return &CopyRow;
}

// Below this many pixels a copy is not worth sharing out.
constexpr int64_t SharedCopyPixels = int64_t{1} << 20;

}  // namespace

void CopyUpright(const TFastDIB& Source, QImage& Picture, const QRect& Part) {
  const int w = Source.Width(), h = Source.AbsHeight();
  if (Picture.size() != QSize(w, h) || Picture.format() != QImage::Format_RGB32)
    Picture = QImage(w, h, QImage::Format_RGB32);
  const QRect part = Part.intersected(QRect(0, 0, w, h));
  if (part.isEmpty()) return;
  static const TCopyRowFn copyRow = BestCopyRow();
  const int n = part.width(), rows = part.height();
  TPixelColor* const* stored = Source.Rows24();
  // Stored rows run bottom-up. The scan lines are reached once, here: bits() detaches a shared
  // image, which must not happen on several threads at once.
  uchar* const lines = Picture.bits();
  const qsizetype pitch = Picture.bytesPerLine();
  const int parts = int64_t(n) * rows >= SharedCopyPixels ? HardwareThreads() : 1;
  auto job = [&](int32_t Index) {
    for (int r = part.top() + rows * Index / parts; r < part.top() + rows * (Index + 1) / parts; ++r)
      copyRow(stored[h - 1 - r] + part.left(), reinterpret_cast<QRgb*>(lines + r * pitch) + part.left(), n);
  };
  SharedWorkerPool().Run(parts, job);
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
