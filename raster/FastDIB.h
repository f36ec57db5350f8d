// raster/: the off-screen surface and the routines that draw into it.
// Off-screen picture laid out as a device-independent bitmap, with a table of
// row addresses so that renderers write pixels directly (one table read per
// row, no multiplication per pixel).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "raster/DIBPlatform.h"

namespace plashbox {

// One 24-bit pixel as it lies in memory, and the colour type of every drawing
// call. As a 32-bit value it is 0x00RRGGBB.
struct TPixelColor {
  std::uint8_t Blue;
  std::uint8_t Green;
  std::uint8_t Red;

  static constexpr TPixelColor FromRGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return TPixelColor{blue, green, red};
  }
  static constexpr TPixelColor FromValue(std::uint32_t value) {
    return TPixelColor{static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                       static_cast<std::uint8_t>(value >> 16)};
  }
  constexpr std::uint32_t Value() const {
    return std::uint32_t{Blue} | (std::uint32_t{Green} << 8) | (std::uint32_t{Red} << 16);
  }
  friend constexpr bool operator==(const TPixelColor&, const TPixelColor&) = default;
};
static_assert(sizeof(TPixelColor) == 3);

// One 32-bit pixel without bit fields: the colour bytes and one spare byte
// that the surface never writes.
struct TPixel32 {
  std::uint8_t Blue;
  std::uint8_t Green;
  std::uint8_t Red;
  std::uint8_t Reserved;
  friend constexpr bool operator==(const TPixel32&, const TPixel32&) = default;
};
static_assert(sizeof(TPixel32) == 4);

// Colour-table entry, the platform's RGBQUAD.
struct TColorTableEntry {
  std::uint8_t Blue;
  std::uint8_t Green;
  std::uint8_t Red;
  std::uint8_t Reserved;
  friend constexpr bool operator==(const TColorTableEntry&, const TColorTableEntry&) = default;
};
static_assert(sizeof(TColorTableEntry) == 4);

// Field for field the platform's BITMAPINFOHEADER, so a back-end can hand it
// over as it is.
struct TBitmapInfoHeader {
  std::uint32_t biSize;
  std::int32_t biWidth;
  std::int32_t biHeight;
  std::uint16_t biPlanes;
  std::uint16_t biBitCount;
  std::uint32_t biCompression;
  std::uint32_t biSizeImage;
  std::int32_t biXPelsPerMeter;
  std::int32_t biYPelsPerMeter;
  std::uint32_t biClrUsed;
  std::uint32_t biClrImportant;
};
static_assert(sizeof(TBitmapInfoHeader) == 40);

inline constexpr std::uint32_t BiRGB = 0;
inline constexpr std::uint32_t BiBitFields = 3;

// Header and colour table back to back: the platform's BITMAPINFO.
struct TBitmapInfo {
  TBitmapInfoHeader Header;
  TColorTableEntry Colors[256];
};
static_assert(offsetof(TBitmapInfo, Colors) == 40);
static_assert(sizeof(TBitmapInfo) == 40 + 256 * 4);

class TFastDIB {
 public:
  TFastDIB();
  ~TFastDIB();
  TFastDIB(const TFastDIB&) = delete;
  TFastDIB& operator=(const TFastDIB&) = delete;

  void SetSize(int width, int height, int bitsPerPixel);
  // memory, when not null, is used as the pixels as it is and never freed;
  // it must hold AbsHeight x RowBytes bytes. bitsPerPixel 0 takes the
  // screen's depth. Throws std::invalid_argument for a negative width, a
  // depth other than 1, 4, 8, 16, 24 or 32, or a picture over 2 GiB.
  void SetSizeAndFormat(std::uint8_t* memory, int width, int height, int bitsPerPixel,
                        std::uint8_t redBits, std::uint8_t greenBits, std::uint8_t blueBits);
  int Draw(TDIBHandle targetDC, int x, int y, int w, int h, int srcX, int srcY) const;
  // Gives everything back and leaves an empty surface of size 0 x 0.
  void Release();

  // Row as stored (not turned for a bottom-up surface). Pixels off the
  // surface are ignored.
  void SetPixel(int row, int column, TPixelColor colour);
  // For 1-, 4- and 8-bit surfaces only; only the low bits of index that the
  // depth holds are stored.
  void SetPackedPixel(int row, int column, std::uint8_t index);

  int Width() const { return Info_.Header.biWidth; }
  int Height() const { return Info_.Header.biHeight; }
  int AbsHeight() const { return AbsHeight_; }
  int BitsPerPixel() const { return Info_.Header.biBitCount; }
  int RowBytes() const { return RowBytes_; }
  int RowPadding() const { return RowPadding_; }
  std::uint8_t* PixelData() const { return PixelData_; }

  // Entry i is row i of memory; with a positive height row 0 is the bottom
  // line of the picture.
  std::uint8_t* const* Rows() const { return Rows8_.data(); }
  std::uint8_t* const* Rows8() const { return Rows8_.data(); }
  std::uint16_t* const* Rows16() const { return Rows16_.data(); }
  TPixelColor* const* Rows24() const { return Rows24_.data(); }
  TPixel32* const* Rows32() const { return Rows32_.data(); }

  const TBitmapInfoHeader& Header() const { return Info_.Header; }
  const TBitmapInfo& BitmapInfo() const { return Info_; }
  // The palette of 1-, 4- and 8-bit surfaces; for 16 and 32 bits the first
  // three words hold the red, green and blue masks.
  std::span<TColorTableEntry, 256> ColorTable() { return Info_.Colors; }
  std::span<const TColorTableEntry, 256> ColorTable() const { return Info_.Colors; }
  std::uint32_t RedMask() const { return MaskWord(0); }
  std::uint32_t GreenMask() const { return MaskWord(1); }
  std::uint32_t BlueMask() const { return MaskWord(2); }

  std::uint8_t BlueBits() const { return BlueBits_; }
  std::uint8_t GreenBits() const { return GreenBits_; }
  std::uint8_t RedBits() const { return RedBits_; }
  std::uint8_t BlueLoss() const { return BlueLoss_; }
  std::uint8_t GreenLoss() const { return GreenLoss_; }
  std::uint8_t RedLoss() const { return RedLoss_; }
  std::uint8_t GreenShift() const { return GreenShift_; }
  std::uint8_t RedShift() const { return RedShift_; }

  // Colour packed into a 16- or bit-field 32-bit pixel value.
  std::uint32_t PackColor(TPixelColor colour) const;

  TDIBHandle DC() const { return DC_; }
  TDIBHandle BitmapHandle() const { return BitmapHandle_; }
  bool UsePlatformBitmap() const { return UsePlatformBitmap_; }
  void SetUsePlatformBitmap(bool use) { UsePlatformBitmap_ = use; }
  bool OwnsDC() const { return OwnsDC_; }
  bool OwnsPixelData() const { return OwnsPixelData_; }
  bool OwnsBitmap() const { return OwnsBitmap_; }

 private:
  std::uint32_t MaskWord(int i) const;
  void SetMaskWord(int i, std::uint32_t mask);
  // The steps of SetSizeAndFormat: depth 0 takes the screen's format; the header's compression
  // and colour masks (filling in the default channel widths); the new format's fields; the
  // pixels, borrowed, in a platform bitmap or in memory of our own.
  static void TakeScreenFormat(iDIBPlatform& platform, int& bitsPerPixel, std::uint8_t& redBits,
                               std::uint8_t& greenBits, std::uint8_t& blueBits);
  void SetColourMasks(int bitsPerPixel, std::uint8_t& redBits, std::uint8_t& greenBits,
                      std::uint8_t& blueBits);
  void StoreFormat(int width, int height, int bitsPerPixel, std::uint8_t redBits,
                   std::uint8_t greenBits, std::uint8_t blueBits);
  void AttachPixels(iDIBPlatform& platform, std::uint8_t* memory, std::int64_t imageBytes);
  void GiveBackHandles();
  void FillRows();

  TDIBHandle DC_ = TDIBHandle::None;
  TDIBHandle BitmapHandle_ = TDIBHandle::None;
  // The back-end that issued DC_ and BitmapHandle_; they go back to it even
  // if another back-end has been made active since.
  iDIBPlatform* Platform_ = nullptr;
  int RowBytes_ = 0;
  int AbsHeight_ = 0;
  int RowPadding_ = 0;
  std::uint8_t* PixelData_ = nullptr;
  TPixelMemory OwnedPixels_;
  TBitmapInfo Info_{};
  std::uint8_t BlueBits_ = 0;
  std::uint8_t GreenBits_ = 0;
  std::uint8_t RedBits_ = 0;
  std::uint8_t BlueLoss_ = 0;
  std::uint8_t GreenLoss_ = 0;
  std::uint8_t RedLoss_ = 0;
  std::uint8_t GreenShift_ = 0;
  std::uint8_t RedShift_ = 0;
  // One table per view, all holding the same addresses: each is then read
  // only as the pointer type it was written as.
  std::vector<std::uint8_t*> Rows8_;
  std::vector<std::uint16_t*> Rows16_;
  std::vector<TPixelColor*> Rows24_;
  std::vector<TPixel32*> Rows32_;
  bool UsePlatformBitmap_ = true;
  bool OwnsDC_ = false;
  bool OwnsPixelData_ = false;
  bool OwnsBitmap_ = false;
  // PixelData_ is memory handed in by the caller, not the bitmap's.
  bool Borrowed_ = false;
};

// Index of the entry among table[0..lastIndex] nearest to colour by the sum
// of the three component differences; the lowest index wins a tie, and 0 is
// the answer when no entry comes closer than 765.
std::uint8_t NearestColorIndex(std::span<const TColorTableEntry> table, int lastIndex,
                               TPixelColor colour);

// Exchanges the lowest and third byte and clears the top one: turns a
// 0x00RRGGBB value into the platform's 0x00BBGGRR and back.
constexpr std::uint32_t SwapRedBlue(std::uint32_t value) {
  return ((value & 0xFFu) << 16) | (value & 0xFF00u) | ((value >> 16) & 0xFFu);
}

}  // namespace plashbox
