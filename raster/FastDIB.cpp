#include "raster/FastDIB.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace plashbox {

namespace {

THeadlessDIBPlatform& HeadlessPlatform() {
  static THeadlessDIBPlatform platform;
  return platform;
}

iDIBPlatform* ActivePlatform = nullptr;

// 2^bits - 1 without overflowing the shift: counts of 32 and more fill the word.
std::uint32_t LowBits(unsigned bits) {
  return bits >= 32 ? 0xFFFFFFFFu : (std::uint32_t{1} << bits) - 1u;
}

std::uint32_t ShiftLeft(std::uint32_t value, unsigned shift) {
  return shift >= 32 ? 0u : value << shift;
}

std::uint8_t LossFor(std::uint8_t bits) {
  return bits < 8 ? static_cast<std::uint8_t>(8 - bits) : std::uint8_t{0};
}

bool SupportedDepth(int bitsPerPixel) {
  switch (bitsPerPixel) {
    case 1: case 4: case 8: case 16: case 24: case 32:
      return true;
    default:
      return false;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Back-end selection and the headless back-end

void SetDIBPlatform(iDIBPlatform* platform) { ActivePlatform = platform; }

iDIBPlatform& DIBPlatform() {
  return ActivePlatform != nullptr ? *ActivePlatform : HeadlessPlatform();
}

int THeadlessDIBPlatform::ScreenBitsPerPixel() { return 24; }

int THeadlessDIBPlatform::ProbeGreenBits() { return 6; }

TDIBSection THeadlessDIBPlatform::CreateBitmap(const TBitmapInfo& info) {
  const std::uintptr_t bitmap = NextHandle_++;
  const std::uintptr_t dc = NextHandle_++;
  TPixelMemory& memory = Bitmaps_[bitmap];
  memory.assign(info.Header.biSizeImage, 0);
  DCs_.insert(dc);
  return TDIBSection{memory.data(), static_cast<TDIBHandle>(bitmap), static_cast<TDIBHandle>(dc)};
}

void THeadlessDIBPlatform::DeleteDC(TDIBHandle dc) {
  DCs_.erase(static_cast<std::uintptr_t>(dc));
}

void THeadlessDIBPlatform::DeleteBitmap(TDIBHandle bitmap) {
  Bitmaps_.erase(static_cast<std::uintptr_t>(bitmap));
}

int THeadlessDIBPlatform::Draw(TDIBHandle, int, int, int, int, int, int, const TFastDIB&) {
  return 0;
}

// ---------------------------------------------------------------------------
// Surface

TFastDIB::TFastDIB() {
  // The headless back-end must outlive surfaces that live in static storage,
  // so it is brought up before the first surface is complete.
  HeadlessPlatform();
  Info_.Header.biSize = sizeof(TBitmapInfoHeader);
  Info_.Header.biPlanes = 1;
}

TFastDIB::~TFastDIB() { Release(); }

void TFastDIB::SetSize(int width, int height, int bitsPerPixel) {
  SetSizeAndFormat(nullptr, width, height, bitsPerPixel, 0, 0, 0);
}

namespace {

// The bytes of a picture of that size and depth; rows are padded to whole 32-bit words.
struct TPictureSize {
  std::int64_t RowBits, RowBytes, AbsHeight, ImageBytes;
};

TPictureSize MeasurePicture(int width, int height, int bitsPerPixel) {
  const std::int64_t rowBits = std::int64_t{width} * bitsPerPixel;
  const std::int64_t rowBytes = (rowBits + 31) / 32 * 4;
  const std::int64_t absHeight = std::abs(std::int64_t{height});
  return {rowBits, rowBytes, absHeight, absHeight * rowBytes};
}

}  // namespace

void TFastDIB::SetSizeAndFormat(std::uint8_t* memory, int width, int height, int bitsPerPixel,
                                std::uint8_t redBits, std::uint8_t greenBits,
                                std::uint8_t blueBits) {
  iDIBPlatform& platform = DIBPlatform();
  if (bitsPerPixel == 0) TakeScreenFormat(platform, bitsPerPixel, redBits, greenBits, blueBits);

  // Everything that could go wrong is checked before the surface changes, so
  // a rejected call leaves it as it was.
  if (width < 0 || height == INT_MIN || !SupportedDepth(bitsPerPixel)) {
    throw std::invalid_argument("TFastDIB: unsupported size or depth");
  }
  const TPictureSize size = MeasurePicture(width, height, bitsPerPixel);
  if (size.ImageBytes > INT_MAX) {
    throw std::invalid_argument("TFastDIB: picture too large");
  }

  SetColourMasks(bitsPerPixel, redBits, greenBits, blueBits);

  // Re-sizing to the format the surface already has keeps bitmap and pixels. Pixels borrowed
  // by an earlier call are not kept: this call asks for the surface's own, and the lender may
  // free its memory at any time.
  if (memory == nullptr && width == Width() && height == Height() &&
      bitsPerPixel == BitsPerPixel() && redBits == RedBits_ && greenBits == GreenBits_ &&
      blueBits == BlueBits_ && UsePlatformBitmap_ && DC_ != TDIBHandle::None && !Borrowed_) {
    return;
  }

  StoreFormat(width, height, bitsPerPixel, redBits, greenBits, blueBits);
  AbsHeight_ = static_cast<int>(size.AbsHeight);
  RowBytes_ = static_cast<int>(size.RowBytes);
  RowPadding_ = static_cast<int>(size.RowBytes - (size.RowBits + 7) / 8);
  Info_.Header.biSizeImage = static_cast<std::uint32_t>(size.ImageBytes);
  AttachPixels(platform, memory, size.ImageBytes);
  FillRows();
}

void TFastDIB::TakeScreenFormat(iDIBPlatform& platform, int& bitsPerPixel, std::uint8_t& redBits,
                                std::uint8_t& greenBits, std::uint8_t& blueBits) {
  bitsPerPixel = platform.ScreenBitsPerPixel();
  if (bitsPerPixel == 16) {
    blueBits = 5;
    redBits = 5;
    greenBits = static_cast<std::uint8_t>(platform.ProbeGreenBits());
  } else if (bitsPerPixel == 32) {
    blueBits = greenBits = redBits = 8;
  }
}

void TFastDIB::SetColourMasks(int bitsPerPixel, std::uint8_t& redBits, std::uint8_t& greenBits,
                              std::uint8_t& blueBits) {
  TBitmapInfoHeader& header = Info_.Header;
  if (redBits != 0 || greenBits != 0 || blueBits != 0) {
    header.biCompression = BiBitFields;
  } else {
    header.biCompression = BiRGB;
    if (bitsPerPixel == 16) {
      blueBits = greenBits = redBits = 5;
    } else if (bitsPerPixel == 32) {
      blueBits = greenBits = redBits = 8;
    }
  }

  if (bitsPerPixel == 16 || bitsPerPixel == 32) {
    const std::uint32_t blueMask = LowBits(blueBits);
    const std::uint32_t greenMask = LowBits(unsigned{blueBits} + greenBits) & ~blueMask;
    const std::uint32_t redMask =
        LowBits(unsigned{redBits} + greenBits + blueBits) & ~(blueMask | greenMask);
    SetMaskWord(0, redMask);
    SetMaskWord(1, greenMask);
    SetMaskWord(2, blueMask);
  }
}

void TFastDIB::StoreFormat(int width, int height, int bitsPerPixel, std::uint8_t redBits,
                           std::uint8_t greenBits, std::uint8_t blueBits) {
  TBitmapInfoHeader& header = Info_.Header;
  header.biWidth = width;
  header.biHeight = height;
  header.biBitCount = static_cast<std::uint16_t>(bitsPerPixel);
  RedBits_ = redBits;
  GreenBits_ = greenBits;
  BlueBits_ = blueBits;
  GreenShift_ = blueBits;
  RedShift_ = static_cast<std::uint8_t>(blueBits + greenBits);
  RedLoss_ = LossFor(redBits);
  GreenLoss_ = LossFor(greenBits);
  BlueLoss_ = LossFor(blueBits);
}

void TFastDIB::AttachPixels(iDIBPlatform& platform, std::uint8_t* memory, std::int64_t imageBytes) {
  if (memory != nullptr) {
    // Borrowed memory: whatever the surface held before stays held, so the
    // ownership flags keep describing it.
    PixelData_ = memory;
    Borrowed_ = true;
    return;
  }
  Borrowed_ = false;
  GiveBackHandles();
  if (UsePlatformBitmap_) {
    TPixelMemory().swap(OwnedPixels_);
    const TDIBSection section = platform.CreateBitmap(Info_);
    Platform_ = &platform;
    PixelData_ = section.Pixels;
    BitmapHandle_ = section.Bitmap;
    DC_ = section.DC;
    OwnsPixelData_ = false;
    OwnsDC_ = true;
    OwnsBitmap_ = true;
  } else {
    OwnedPixels_.assign(static_cast<std::size_t>(imageBytes), 0);
    PixelData_ = OwnedPixels_.data();
    OwnsPixelData_ = true;
    OwnsDC_ = false;
    OwnsBitmap_ = false;
  }
}

void TFastDIB::GiveBackHandles() {
  if (OwnsDC_ && DC_ != TDIBHandle::None && Platform_ != nullptr) {
    Platform_->DeleteDC(DC_);
  }
  if (OwnsBitmap_ && BitmapHandle_ != TDIBHandle::None && Platform_ != nullptr) {
    Platform_->DeleteBitmap(BitmapHandle_);
  }
  DC_ = TDIBHandle::None;
  BitmapHandle_ = TDIBHandle::None;
  OwnsDC_ = false;
  OwnsBitmap_ = false;
  Platform_ = nullptr;
}

void TFastDIB::FillRows() {
  const auto count = static_cast<std::size_t>(AbsHeight_);
  Rows8_.resize(count);
  Rows16_.resize(count);
  Rows24_.resize(count);
  Rows32_.resize(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::uint8_t* row =
        PixelData_ != nullptr ? PixelData_ + i * static_cast<std::size_t>(RowBytes_) : nullptr;
    Rows8_[i] = row;
    Rows16_[i] = reinterpret_cast<std::uint16_t*>(row);
    Rows24_[i] = reinterpret_cast<TPixelColor*>(row);
    Rows32_[i] = reinterpret_cast<TPixel32*>(row);
  }
}

void TFastDIB::Release() {
  GiveBackHandles();
  std::vector<std::uint8_t*>().swap(Rows8_);
  std::vector<std::uint16_t*>().swap(Rows16_);
  std::vector<TPixelColor*>().swap(Rows24_);
  std::vector<TPixel32*>().swap(Rows32_);
  TPixelMemory().swap(OwnedPixels_);
  PixelData_ = nullptr;
  Borrowed_ = false;
  OwnsPixelData_ = false;
  // Nothing is left to address, so the surface reports no pixels: pixel
  // calls after a release fall outside and are ignored.
  Info_.Header.biWidth = 0;
  Info_.Header.biHeight = 0;
  Info_.Header.biSizeImage = 0;
  AbsHeight_ = 0;
  RowBytes_ = 0;
  RowPadding_ = 0;
}

int TFastDIB::Draw(TDIBHandle targetDC, int x, int y, int w, int h, int srcX, int srcY) const {
  iDIBPlatform& platform = Platform_ != nullptr ? *Platform_ : DIBPlatform();
  return platform.Draw(targetDC, x, y, w, h, srcX, srcY, *this);
}

std::uint32_t TFastDIB::MaskWord(int i) const {
  std::uint32_t mask = 0;
  std::memcpy(&mask, &Info_.Colors[i], sizeof mask);
  return mask;
}

void TFastDIB::SetMaskWord(int i, std::uint32_t mask) {
  std::memcpy(&Info_.Colors[i], &mask, sizeof mask);
}

std::uint32_t TFastDIB::PackColor(TPixelColor colour) const {
  return ShiftLeft(std::uint32_t{colour.Red} >> RedLoss_, RedShift_) |
         ShiftLeft(std::uint32_t{colour.Green} >> GreenLoss_, GreenShift_) |
         (std::uint32_t{colour.Blue} >> BlueLoss_);
}

void TFastDIB::SetPixel(int row, int column, TPixelColor colour) {
  if (row < 0 || row >= AbsHeight_ || column < 0 || column >= Width()) {
    return;
  }
  switch (BitsPerPixel()) {
    case 1:
    case 4:
    case 8: {
      const int lastIndex = (1 << BitsPerPixel()) - 1;
      SetPackedPixel(row, column, NearestColorIndex(Info_.Colors, lastIndex, colour));
      break;
    }
    case 16:
      Rows16_[row][column] = static_cast<std::uint16_t>(PackColor(colour));
      break;
    case 24:
      Rows24_[row][column] = colour;
      break;
    case 32:
      if (Info_.Header.biCompression == BiBitFields) {
        const std::uint32_t packed = PackColor(colour);
        std::memcpy(&Rows32_[row][column], &packed, sizeof packed);
      } else {
        TPixel32& pixel = Rows32_[row][column];
        pixel.Blue = colour.Blue;
        pixel.Green = colour.Green;
        pixel.Red = colour.Red;
      }
      break;
    default:
      break;
  }
}

void TFastDIB::SetPackedPixel(int row, int column, std::uint8_t index) {
  if (row < 0 || row >= AbsHeight_ || column < 0 || column >= Width()) {
    return;
  }
  std::uint8_t* const line = Rows8_[row];
  switch (BitsPerPixel()) {
    case 1: {
      const unsigned bit = 7u - static_cast<unsigned>(column % 8);
      std::uint8_t& byte = line[column / 8];
      byte = static_cast<std::uint8_t>((byte & ~(1u << bit)) | ((index & 1u) << bit));
      break;
    }
    case 4: {
      std::uint8_t& byte = line[column / 2];
      if (column % 2 == 0) {
        byte = static_cast<std::uint8_t>((byte & 0x0Fu) | ((index & 0x0Fu) << 4));
      } else {
        byte = static_cast<std::uint8_t>((byte & 0xF0u) | (index & 0x0Fu));
      }
      break;
    }
    case 8:
      line[column] = index;
      break;
    default:
      break;
  }
}

// ---------------------------------------------------------------------------
// Colour functions

std::uint8_t NearestColorIndex(std::span<const TColorTableEntry> table, int lastIndex,
                               TPixelColor colour) {
  const int last = std::min({lastIndex, static_cast<int>(table.size()) - 1, 255});
  int best = 3 * 255;
  int result = 0;
  for (int i = 0; i <= last; ++i) {
    const TColorTableEntry& entry = table[static_cast<std::size_t>(i)];
    const int distance = std::abs(entry.Blue - colour.Blue) +
                         std::abs(entry.Green - colour.Green) +
                         std::abs(entry.Red - colour.Red);
    if (distance < best) {
      best = distance;
      result = i;
    }
  }
  return static_cast<std::uint8_t>(result);
}

}  // namespace plashbox
