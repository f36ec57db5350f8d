// app/: the Qt window program: main window, frame timer, splash and desktop shell.
// The surface on a Qt screen: bitmaps are plain memory, and a copy to a paint area paints the
// surface's own pixels through a QImage laid over them, turned upright, without converting
// them first.
#pragma once

#include <QImage>
#include <QWidget>

#include <map>

#include "raster/DIBPlatform.h"
#include "raster/FastDIB.h"

namespace plashbox {

// A widget that shows a surface copied to it. Its handle stands for it in Draw; the picture
// it shows is the surface's memory at the time of the copy, painted at once. A box of another
// size than the surface shows it scaled to the box, smoothly (a tank bigger than the screen).
class TPaintBox : public QWidget {
  Q_OBJECT

 public:
  explicit TPaintBox(QWidget* Parent = nullptr);
  ~TPaintBox() override;

  TDIBHandle Handle() const { return FHandle; }
  // Paints the w x h block at (SrcX, SrcY) of Source at (X, Y), now; all in the surface's
  // pixels, which the box's own size scales.
  void Present(const TFastDIB& Source, int X, int Y, int W, int H, int SrcX, int SrcY);

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  // The box's pixels for a rectangle of the surface's.
  QRect OnBox(const QRect& SurfacePart) const;
  TDIBHandle FHandle;
  // What the last copy showed; a repaint asked for by the window system shows it again.
  const TFastDIB* Source = nullptr;
  QRect Target, SourceRect;
  QImage Shown;  // the picture upright in the screen's format, kept from frame to frame
};

class TQtDIBPlatform final : public iDIBPlatform {
 public:
  int ScreenBitsPerPixel() override;
  int ProbeGreenBits() override;
  TDIBSection CreateBitmap(const TBitmapInfo& Info) override;
  void DeleteDC(TDIBHandle DC) override;
  void DeleteBitmap(TDIBHandle Bitmap) override;
  int Draw(TDIBHandle Target, int X, int Y, int W, int H, int SrcX, int SrcY, const TFastDIB& Source) override;

  // Paint areas register themselves for the life of their handle.
  TDIBHandle Register(TPaintBox& Box);
  void Unregister(TDIBHandle Handle);

  // The one back-end of the window program, installed for new surfaces.
  static TQtDIBPlatform& Instance();

 private:
  THeadlessDIBPlatform Memory;  // bitmaps are plain memory either way
  std::map<TDIBHandle, TPaintBox*> Boxes;
  std::uintptr_t NextBox = 1;
};

// The part of a 24-bit surface (stored bottom-up) turned upright into Picture, which becomes
// a picture of the surface's size in the screen's format if it is not one already.
void CopyUpright(const TFastDIB& Source, QImage& Picture, const QRect& Part);
// The whole of a 24-bit surface as an upright picture; a null one for any other surface.
QImage UprightPicture(const TFastDIB& Source);

}  // namespace plashbox
