#include "raster/FastDIB.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace plashbox {
namespace {

// A display with a chosen screen format; bitmaps are kept by a headless
// back-end so that leaks show in its counts.
class TFakePlatform final : public iDIBPlatform {
 public:
  int ScreenBits = 24;
  int GreenBits = 6;
  THeadlessDIBPlatform Store;
  const TFastDIB* Drawn = nullptr;

  int ScreenBitsPerPixel() override { return ScreenBits; }
  int ProbeGreenBits() override { return GreenBits; }
  TDIBSection CreateBitmap(const TBitmapInfo& info) override { return Store.CreateBitmap(info); }
  void DeleteDC(TDIBHandle dc) override { Store.DeleteDC(dc); }
  void DeleteBitmap(TDIBHandle bitmap) override { Store.DeleteBitmap(bitmap); }
  int Draw(TDIBHandle, int, int, int, int, int, int, const TFastDIB& dib) override {
    Drawn = &dib;
    return 77;
  }
};

class FastDIBTest : public ::testing::Test {
 protected:
  void SetUp() override { SetDIBPlatform(&Platform); }
  void TearDown() override { SetDIBPlatform(nullptr); }
  TFakePlatform Platform;
};

bool AllZero(const TFastDIB& dib) {
  const std::uint8_t* bytes = dib.PixelData();
  return std::all_of(bytes, bytes + dib.Header().biSizeImage, [](int b) { return b == 0; });
}
std::vector<int> Head(const std::uint8_t* bytes, int count) { return {bytes, bytes + count}; }

TEST_F(FastDIBTest, PaintAreaSizeAt24Bits) {
  TFastDIB dib;
  dib.SetSize(401, 401, 24);
  EXPECT_EQ(dib.Header().biSize, 40u);
  EXPECT_EQ(dib.RowBytes(), 1204);
  EXPECT_EQ(dib.RowPadding(), 1);
  EXPECT_EQ(dib.AbsHeight(), 401);
  EXPECT_EQ(dib.Header().biSizeImage, 482804u);
  EXPECT_EQ(dib.Header().biCompression, BiRGB);
  EXPECT_EQ(dib.Rows()[400], dib.PixelData() + 481600);
  EXPECT_EQ(static_cast<void*>(dib.Rows24()[400]), dib.Rows8()[400]);
  EXPECT_TRUE(dib.OwnsDC() && dib.OwnsBitmap() && !dib.OwnsPixelData());
  EXPECT_TRUE(AllZero(dib));
  EXPECT_EQ(dib.Draw(TDIBHandle{5}, 0, 0, 401, 401, 0, 0), 77);
  EXPECT_EQ(Platform.Drawn, &dib);

  dib.SetSize(250, 250, 24);
  EXPECT_EQ(dib.RowBytes(), 752);
  EXPECT_EQ(dib.RowPadding(), 2);
}

TEST_F(FastDIBTest, RowSizeForEveryDepth) {
  struct Case { int width, bits, rowBytes, padding; };
  for (const Case c : {Case{9, 1, 4, 2}, Case{33, 1, 8, 3}, Case{3, 4, 4, 2}, Case{5, 8, 8, 3},
                       Case{3, 16, 8, 2}, Case{2, 16, 4, 0}, Case{1, 24, 4, 1}, Case{3, 32, 12, 0},
                       Case{0, 24, 0, 0}}) {
    TFastDIB dib;
    dib.SetSize(c.width, -3, c.bits);
    EXPECT_EQ(dib.RowBytes(), c.rowBytes) << c.width << " x " << c.bits;
    EXPECT_EQ(dib.RowPadding(), c.padding) << c.width << " x " << c.bits;
    EXPECT_EQ(dib.AbsHeight(), 3);
  }
}

TEST_F(FastDIBTest, SameSizeKeepsPixelsOtherwiseFreshMemory) {
  TFastDIB dib;
  dib.SetSize(20, 10, 24);
  std::uint8_t* const memory = dib.PixelData();
  dib.SetPixel(3, 4, {9, 8, 7});
  dib.SetSize(20, 10, 24);
  EXPECT_EQ(dib.PixelData(), memory);
  EXPECT_EQ(dib.Rows24()[3][4], (TPixelColor{9, 8, 7}));

  dib.SetSize(20, -10, 24);  // turning the row order is a change
  EXPECT_TRUE(AllZero(dib));
  EXPECT_EQ(Platform.Store.LiveBitmaps(), 1u);

  dib.SetUsePlatformBitmap(false);
  dib.SetSize(20, -10, 24);
  EXPECT_EQ(Platform.Store.LiveBitmaps() + Platform.Store.LiveDCs(), 0u);
  EXPECT_EQ(dib.DC(), TDIBHandle::None);
  EXPECT_TRUE(dib.OwnsPixelData() && !dib.OwnsDC() && !dib.OwnsBitmap());
}

TEST_F(FastDIBTest, BorrowedMemoryIsUsedNeverFreedAndReleaseEmpties) {
  std::vector<std::uint8_t> memory(16, 0x5A);
  TFastDIB dib;
  dib.SetSize(2, 2, 24);
  dib.SetSizeAndFormat(memory.data(), 2, 2, 24, 0, 0, 0);
  EXPECT_EQ(dib.Rows()[1], memory.data() + 8);
  EXPECT_TRUE(dib.OwnsBitmap());  // the earlier bitmap is still held
  dib.SetPixel(1, 1, {1, 2, 3});
  // Asking for the same size without memory gives the surface its own pixels back: the lender
  // may free its memory.
  dib.SetSize(2, 2, 24);
  EXPECT_NE(dib.PixelData(), memory.data());
  EXPECT_EQ(dib.Rows()[0], dib.PixelData());
  EXPECT_EQ(Platform.Store.LiveBitmaps(), 1u);
  dib.SetSizeAndFormat(memory.data(), 2, 2, 24, 0, 0, 0);
  SetDIBPlatform(nullptr);  // handles still go back to their issuer
  dib.Release();
  EXPECT_EQ(Platform.Store.LiveBitmaps() + Platform.Store.LiveDCs(), 0u);
  EXPECT_EQ(Head(memory.data() + 11, 3), (std::vector{1, 2, 3}));
  EXPECT_EQ(std::count(memory.begin(), memory.end(), 0x5A), 13);
  EXPECT_EQ(dib.PixelData(), nullptr);
  EXPECT_EQ(dib.Width(), 0);
  dib.SetPixel(0, 0, {1, 2, 3});
}

TEST_F(FastDIBTest, MasksCompressionAndScreenDepth) {
  TFastDIB dib;
  dib.SetSize(4, 4, 16);
  EXPECT_EQ(dib.Header().biCompression, BiRGB);
  EXPECT_EQ((std::vector{dib.RedMask(), dib.GreenMask(), dib.BlueMask()}),
            (std::vector<std::uint32_t>{0x7C00, 0x03E0, 0x001F}));
  EXPECT_EQ((std::vector<int>{dib.RedShift(), dib.GreenShift(), dib.GreenLoss()}),
            (std::vector{10, 5, 3}));
  dib.SetSize(5, 4, 32);
  EXPECT_EQ(dib.Header().biCompression, BiRGB);
  EXPECT_EQ((std::vector{dib.RedMask(), dib.GreenMask(), dib.BlueMask()}),
            (std::vector<std::uint32_t>{0xFF0000, 0xFF00, 0xFF}));
  dib.SetSizeAndFormat(nullptr, 4, 4, 32, 8, 16, 8);  // red reaches the top bit
  EXPECT_EQ(dib.Header().biCompression, BiBitFields);
  EXPECT_EQ(dib.RedMask(), 0xFF000000u);
  EXPECT_EQ(dib.GreenMask(), 0x00FFFF00u);

  Platform.ScreenBits = 16;
  Platform.GreenBits = 5;
  dib.SetSize(4, 4, 0);
  EXPECT_EQ(dib.Header().biCompression, BiBitFields);
  EXPECT_EQ(dib.GreenMask(), 0x03E0u);
  Platform.GreenBits = 6;
  dib.SetSize(4, 4, 0);
  EXPECT_EQ(dib.RedMask(), 0xF800u);
  EXPECT_EQ(dib.GreenLoss(), 2);
  SetDIBPlatform(nullptr);
  dib.SetSize(4, 4, 0);
  EXPECT_EQ(dib.BitsPerPixel(), 24);

  EXPECT_THROW(dib.SetSize(-1, 4, 8), std::invalid_argument);
  EXPECT_THROW(dib.SetSize(4, 4, 2), std::invalid_argument);
  EXPECT_EQ(dib.BitsPerPixel(), 24);
}

TEST_F(FastDIBTest, SetPixelPerDepth) {
  const TPixelColor colour = TPixelColor::FromRGB(0xFF, 0x80, 0x08);
  TFastDIB dib;
  dib.SetSize(3, 2, 24);
  dib.SetPixel(1, 2, colour);  // row as stored, not turned
  EXPECT_EQ(Head(dib.Rows8()[1] + 6, 3), (std::vector{0x08, 0x80, 0xFF}));
  dib.SetSize(3, 2, 16);
  dib.SetPixel(1, 2, colour);
  EXPECT_EQ(dib.Rows16()[1][2], (31 << 10) | (16 << 5) | 1);
  dib.SetSizeAndFormat(nullptr, 3, 2, 16, 5, 6, 5);
  dib.SetPixel(1, 2, colour);
  EXPECT_EQ(dib.Rows16()[1][2], (31 << 11) | (32 << 5) | 1);
  dib.SetSize(3, 2, 32);
  dib.Rows32()[1][2].Reserved = 0xAB;
  dib.SetPixel(1, 2, colour);
  EXPECT_EQ(dib.Rows32()[1][2], (TPixel32{0x08, 0x80, 0xFF, 0xAB}));
  dib.SetSizeAndFormat(nullptr, 3, 2, 32, 10, 10, 10);
  dib.SetPixel(1, 2, colour);
  std::uint32_t word = 0;
  std::memcpy(&word, &dib.Rows32()[1][2], 4);
  EXPECT_EQ(word, (0xFFu << 20) | (0x80u << 10) | 0x08u);
}

TEST_F(FastDIBTest, IndexedDepthsPackAndUseTheirShareOfThePalette) {
  TFastDIB dib;
  dib.SetSize(9, 1, 1);
  dib.ColorTable()[1] = {255, 255, 255, 0};
  dib.ColorTable()[2] = {200, 200, 200, 0};  // beyond a 1-bit palette
  dib.Rows8()[0][1] = 0xFF;
  dib.SetPixel(0, 1, {200, 200, 200});
  dib.SetPackedPixel(0, 8, 0);
  dib.SetPackedPixel(0, 9, 0);  // inside a used byte, but off the surface
  EXPECT_EQ(Head(dib.Rows8()[0], 2), (std::vector{0x40, 0x7F}));

  dib.SetSize(3, 1, 4);
  dib.ColorTable()[15] = {0, 0, 90, 0};
  dib.ColorTable()[16] = {0, 0, 100, 0};
  dib.Rows8()[0][0] = 0x12;
  dib.Rows8()[0][1] = 0x34;
  dib.SetPixel(0, 0, TPixelColor::FromRGB(100, 0, 0));
  dib.SetPackedPixel(0, 1, 0xA7);
  dib.SetPackedPixel(0, 2, 9);
  EXPECT_EQ(Head(dib.Rows8()[0], 2), (std::vector{0xF7, 0x94}));

  dib.SetSize(2, 1, 8);
  dib.SetPixel(0, 1, TPixelColor::FromRGB(100, 0, 0));
  EXPECT_EQ(dib.Rows8()[0][1], 16);
  dib.SetSize(2, 1, 24);
  dib.SetPackedPixel(0, 0, 7);  // not an indexed surface
  EXPECT_TRUE(AllZero(dib));
}

TEST_F(FastDIBTest, PixelsOffTheSurfaceAreIgnored) {
  for (const int bits : {1, 4, 8, 16, 24, 32}) {
    TFastDIB dib;
    dib.SetSize(3, 2, bits);
    dib.ColorTable()[1] = {255, 255, 255, 0};
    for (const auto& [row, column] : {std::pair{-1, 0}, {2, 0}, {0, -1}, {0, 3}}) {
      dib.SetPixel(row, column, {255, 255, 255});
      dib.SetPackedPixel(row, column, 0xFF);
    }
    EXPECT_TRUE(AllZero(dib)) << bits;
  }
}

TEST(ColourFunctionsTest, NearestIndexAndRedBlueSwap) {
  std::vector<TColorTableEntry> table(256, TColorTableEntry{0, 0, 0, 0});
  EXPECT_EQ(NearestColorIndex(table, 255, {255, 255, 255}), 0);
  std::fill(table.begin(), table.end(), TColorTableEntry{255, 255, 255, 0});
  table[3] = {90, 0, 0, 0};    // distance 90
  table[4] = {40, 40, 40, 0};  // distance 120, though nearer in space
  table[5] = {0, 0, 90, 0};    // ties with 3
  table[200] = {0, 0, 0, 0};
  EXPECT_EQ(NearestColorIndex(table, 255, {0, 0, 0}), 200);
  EXPECT_EQ(NearestColorIndex(table, 199, {0, 0, 0}), 3);
  EXPECT_EQ(NearestColorIndex(table, 2, {0, 0, 0}), 0);  // none comes under 765

  EXPECT_EQ(SwapRedBlue(0x04030201u), 0x00010203u);
  constexpr TPixelColor colour = TPixelColor::FromRGB(0x30, 0x20, 0x10);
  static_assert(colour.Value() == 0x302010u && TPixelColor{1, 2, 3}.Red == 3);
  EXPECT_EQ(TPixelColor::FromValue(SwapRedBlue(SwapRedBlue(colour.Value()))), colour);
}

}  // namespace
}  // namespace plashbox
