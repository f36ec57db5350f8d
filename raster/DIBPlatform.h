// raster/: the off-screen surface and the routines that draw into it.
// The few things a surface needs from a window system: the screen's format,
// a bitmap whose memory the platform can show without conversion, and the
// copy of that bitmap to a window. Everything else in raster/ is plain memory,
// so the surface and the drawing routines run the same with or without a
// display; a back-end for a real toolkit lives with the application.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "grid/HugePageAllocator.h"

namespace plashbox {

// The memory of a bitmap's pixels: a big picture on huge pages, its rows on cache lines.
using TPixelMemory = std::vector<std::uint8_t, THugePageAllocator<std::uint8_t>>;

struct TBitmapInfo;
class TFastDIB;

// Opaque platform handle (device context or bitmap). The value means nothing
// outside the back-end that issued it; None is never issued.
enum class TDIBHandle : std::uintptr_t { None = 0 };

// What a back-end hands out for a new platform bitmap. Pixels stays valid
// until Bitmap is deleted; it holds Header.biSizeImage bytes, all zero.
struct TDIBSection {
  std::uint8_t* Pixels = nullptr;
  TDIBHandle Bitmap = TDIBHandle::None;
  // A context the platform can draw into the same memory with; a back-end
  // without drawing calls still issues one, since a surface keeps its pixels
  // across a re-size to the same format only while it has a context.
  TDIBHandle DC = TDIBHandle::None;
};

class iDIBPlatform {
 public:
  virtual ~iDIBPlatform() = default;

  virtual int ScreenBitsPerPixel() = 0;

  // 5 or 6: how many bits of green the screen's 16-bit format carries.
  virtual int ProbeGreenBits() = 0;

  virtual TDIBSection CreateBitmap(const TBitmapInfo& info) = 0;
  virtual void DeleteDC(TDIBHandle dc) = 0;
  virtual void DeleteBitmap(TDIBHandle bitmap) = 0;

  // Copies the w x h block at (srcX, srcY) of the picture to (x, y) of target,
  // with (0, 0) the top-left corner on both sides. Rows of a surface with
  // positive height are stored bottom-up, so a back-end reading PixelData
  // directly shows row AbsHeight - 1 at the top. When the surface has a DC the
  // back-end may copy from that instead. Returns the platform call's result.
  virtual int Draw(TDIBHandle target, int x, int y, int w, int h, int srcX, int srcY,
                   const TFastDIB& source) = 0;
};

// The default back-end: no display at all. The screen is taken to be 24 bits
// deep and a 16-bit screen to be 5-6-5 (the format every current 16-bit mode
// uses), bitmaps are zeroed memory owned here, contexts are bare tokens and
// Draw shows nothing.
class THeadlessDIBPlatform final : public iDIBPlatform {
 public:
  int ScreenBitsPerPixel() override;
  int ProbeGreenBits() override;
  TDIBSection CreateBitmap(const TBitmapInfo& info) override;
  void DeleteDC(TDIBHandle dc) override;
  void DeleteBitmap(TDIBHandle bitmap) override;
  int Draw(TDIBHandle target, int x, int y, int w, int h, int srcX, int srcY,
           const TFastDIB& source) override;

  // Handles issued and not yet deleted; a surface must give back all it took.
  std::size_t LiveBitmaps() const { return Bitmaps_.size(); }
  std::size_t LiveDCs() const { return DCs_.size(); }

 private:
  std::uintptr_t NextHandle_ = 1;
  std::map<std::uintptr_t, TPixelMemory> Bitmaps_;
  std::set<std::uintptr_t> DCs_;
};

// The back-end new surfaces size themselves with. Null selects the headless
// one. A back-end must outlive every surface that created a bitmap through it.
void SetDIBPlatform(iDIBPlatform* platform);
iDIBPlatform& DIBPlatform();

}  // namespace plashbox
