#include "frame/JpegPicture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace plashbox {
namespace {

// A smooth diagonal ramp with a flat red block: the kind of content JPEG keeps closely.
TJpegPicture SamplePicture(int32_t W, int32_t H) {
  TJpegPicture p{W, H, std::vector<uint8_t>(size_t(W) * size_t(H) * 3)};
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) {
      uint8_t* px = &p.Rgb[(size_t(y) * size_t(W) + size_t(x)) * 3];
      const bool block = x >= 16 && y >= 8;
      px[0] = block ? 200 : uint8_t(4 * x);
      px[1] = block ? 30 : uint8_t(6 * y);
      px[2] = block ? 40 : uint8_t(100 + 2 * (x + y));
    }
  return p;
}

int MaxDifference(const TJpegPicture& A, const TJpegPicture& B) {
  int worst = 0;
  for (size_t i = 0; i < A.Rgb.size(); ++i) worst = std::max(worst, std::abs(int(A.Rgb[i]) - int(B.Rgb[i])));
  return worst;
}

std::string ErrorOf(const std::vector<uint8_t>& Bytes) {
  try {
    DecodeJpeg(Bytes);
  } catch (const EJpegError& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(JpegPicture, RoundTripKeepsSizeAndColours) {
  const TJpegPicture original = SamplePicture(32, 24);
  const std::vector<uint8_t> bytes = EncodeJpeg(original, 100);
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8);  // start of image
  EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
  EXPECT_EQ(bytes[bytes.size() - 1], 0xD9);  // end of image

  const TJpegPicture decoded = DecodeJpeg(bytes);
  EXPECT_EQ(decoded.Width, 32);
  EXPECT_EQ(decoded.Height, 24);
  ASSERT_EQ(decoded.Rgb.size(), original.Rgb.size());
  EXPECT_LE(MaxDifference(original, decoded), 8);
  // Rows run from the top: the red block sits at the lower right.
  const uint8_t* inBlock = &decoded.Rgb[(size_t(20) * 32 + 28) * 3];
  EXPECT_NEAR(inBlock[0], 200, 3);
  EXPECT_NEAR(inBlock[1], 30, 3);
  EXPECT_NEAR(inBlock[2], 40, 3);
}

TEST(JpegPicture, OddSizesAndLowQualityStillRoundTrip) {
  for (const auto& [w, h] : {std::pair{1, 1}, std::pair{17, 3}, std::pair{3, 17}}) {
    const TJpegPicture original = SamplePicture(w, h);
    const TJpegPicture decoded = DecodeJpeg(EncodeJpeg(original, 0));  // clamped to 1
    EXPECT_EQ(decoded.Width, w);
    EXPECT_EQ(decoded.Height, h);
    EXPECT_EQ(decoded.Rgb.size(), size_t(w) * size_t(h) * 3);
  }
}

TEST(JpegPicture, CorruptBytesRaiseInsteadOfEndingTheProgram) {
  const std::vector<uint8_t> good = EncodeJpeg(SamplePicture(32, 24), 90);

  EXPECT_EQ(ErrorOf({}).rfind("JPEG: ", 0), 0u) << ErrorOf({});
  EXPECT_EQ(ErrorOf({'G', 'I', 'F', '8', '9', 'a', 0, 0}).rfind("JPEG: ", 0), 0u);

  // Cut short in the middle of the picture data: libjpeg only warns and pads with grey.
  const std::vector<uint8_t> truncated(good.begin(), good.begin() + long(good.size() / 2));
  EXPECT_EQ(ErrorOf(truncated).rfind("JPEG: ", 0), 0u) << ErrorOf(truncated);

  // The header alone, the picture data and end marker missing.
  std::vector<uint8_t> headerOnly(good.begin(), good.begin() + 20);
  EXPECT_EQ(ErrorOf(headerOnly).rfind("JPEG: ", 0), 0u);

  // Every byte after the header scrambled.
  std::vector<uint8_t> scrambled = good;
  for (size_t i = good.size() / 3; i < good.size(); ++i) scrambled[i] = uint8_t(scrambled[i] * 37 + 11);
  EXPECT_NE(ErrorOf(scrambled), "(no error)");

  // And the decoder still works afterwards.
  EXPECT_EQ(DecodeJpeg(good).Width, 32);
}

TEST(JpegPicture, HugeDimensionsAreRefusedBeforeAllocating) {
  std::vector<uint8_t> bytes = EncodeJpeg(SamplePicture(8, 8), 90);
  // The frame header: FF C0, length, precision, height, width.
  const uint8_t marker[] = {0xFF, 0xC0};
  const auto sof = std::search(bytes.begin(), bytes.end(), std::begin(marker), std::end(marker));
  ASSERT_NE(sof, bytes.end());
  const size_t at = size_t(sof - bytes.begin());
  bytes[at + 5] = 0xEA, bytes[at + 6] = 0x60;  // 60000 rows
  bytes[at + 7] = 0xEA, bytes[at + 8] = 0x60;  // 60000 columns
  const std::string error = ErrorOf(bytes);
  EXPECT_NE(error.find("too large"), std::string::npos) << error;
}

TEST(JpegPicture, EncoderRefusesPicturesThatDoNotAddUp) {
  EXPECT_THROW(EncodeJpeg(TJpegPicture{0, 5, {}}, 90), EJpegError);
  EXPECT_THROW(EncodeJpeg(TJpegPicture{4, -1, {}}, 90), EJpegError);
  EXPECT_THROW(EncodeJpeg(TJpegPicture{4, 4, std::vector<uint8_t>(47)}, 90), EJpegError);
  EXPECT_THROW(EncodeJpeg(TJpegPicture{70000, 1, std::vector<uint8_t>(210000)}, 90), EJpegError);
}

}  // namespace
}  // namespace plashbox
