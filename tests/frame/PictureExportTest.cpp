// Pictures and animations leave the program as the tank shows them: PNG and GIF read back with
// libpng and giflib to the same pixels, GIF frame delays keep the rate, and a file that cannot
// be finished leaves nothing behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <numeric>
#include <set>

#include "frame/FileWriting.h"
#include "frame/GifAnimation.h"
#include "frame/PngPicture.h"
#include "frame/RgbPicture.h"
#include "raster/FastDIB.h"
#include "tests/FileSizeLimit.h"
#include "tests/PictureReaders.h"
#include "xmlworker/XMLNode.h"

using namespace plashbox;
using namespace plashbox::tests;
namespace fs = std::filesystem;

namespace {

class PictureExport : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("plashbox-export-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(Dir);
    fs::create_directories(Dir);
  }
  void TearDown() override { fs::remove_all(Dir); }
  std::string Path(const std::string& Name) const { return (Dir / Name).string(); }
  size_t Entries() const { return size_t(std::distance(fs::directory_iterator(Dir), fs::directory_iterator())); }
  fs::path Dir;
};

// Colours = 0 gives every pixel a colour of its own (more than 256 of them).
TRgbPicture Sample(int32_t W, int32_t H, int Colours, int Shift = 0) {
  TRgbPicture p{W, H, {}};
  for (int32_t y = 0; y < H; ++y)
    for (int32_t x = 0; x < W; ++x) {
      const int i = y * W + x + Shift;
      if (Colours > 0)
        p.Rgb.insert(p.Rgb.end(), {uint8_t(i % Colours * 255 / Colours), uint8_t(i % Colours), uint8_t(200)});
      else
        p.Rgb.insert(p.Rgb.end(), {uint8_t(x * 7 + Shift), uint8_t(y * 5), uint8_t((x ^ y) * 3)});
    }
  return p;
}

void WriteGif(const std::string& File, const std::vector<TRgbPicture>& Frames, int32_t Milliseconds) {
  TStreamingFile file(File);
  TGifAnimation gif(file, Frames.at(0).Width, Frames.at(0).Height, Milliseconds);
  for (const TRgbPicture& f : Frames) gif.AddFrame(f);
  gif.Finish();
  file.Commit();
}

TEST(RgbPicture, TheSurfaceComesOutTopDownInRedGreenBlue) {
  TFastDIB dib;
  dib.SetSize(3, 2, 24);
  dib.SetPixel(0, 0, TPixelColor::FromRGB(1, 2, 3));  // row 0 is the bottom line
  dib.SetPixel(1, 2, TPixelColor::FromRGB(4, 5, 6));  // the top line's last pixel
  const TRgbPicture p = SurfaceAsRgb(dib);
  ASSERT_EQ(p.Width, 3);
  ASSERT_EQ(p.Height, 2);
  ASSERT_EQ(p.Rgb.size(), 18u);
  EXPECT_EQ(std::vector<uint8_t>(p.Rgb.begin() + 6, p.Rgb.begin() + 9), (std::vector<uint8_t>{4, 5, 6}));
  EXPECT_EQ(std::vector<uint8_t>(p.Rgb.begin() + 9, p.Rgb.begin() + 12), (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(EncodePpm(p), "P6\n3 2\n255\n" + std::string(p.Rgb.begin(), p.Rgb.end()));
}

TEST_F(PictureExport, PngReadsBackToTheSamePixels) {
  const TRgbPicture picture = Sample(37, 11, 0);
  WriteFileAtomically(Path("a.png"), EncodePng(picture));
  EXPECT_EQ(ReadPng(Path("a.png")), picture);
  EXPECT_EQ(EncodePng(picture), EncodePng(picture)) << "the same picture is the same bytes";
  EXPECT_THROW(EncodePng(TRgbPicture{0, 4, {}}), EPngError);
  EXPECT_THROW(EncodePng(TRgbPicture{2, 2, std::vector<uint8_t>(5)}), EPngError);
  EXPECT_TRUE(IsPngFileName("x.PNG"));
  EXPECT_TRUE(IsPngFileName("dir.png/a.png"));
  EXPECT_FALSE(IsPngFileName("a.png.ppm"));
  EXPECT_FALSE(IsPngFileName("png"));
}

TEST(GifColours, AFrameOfFewColoursIsStoredExactly) {
  const TRgbPicture picture = Sample(40, 30, 256);
  const TIndexedFrame frame = IndexColours(picture);
  ASSERT_EQ(frame.Palette.size(), 256u * 3);
  for (size_t i = 0; i < frame.Indices.size(); ++i)
    for (int c = 0; c < 3; ++c) ASSERT_EQ(frame.Palette[frame.Indices[i] * 3u + c], picture.Rgb[i * 3 + c]) << i;
}

TEST(GifColours, ARichFrameIsReducedToCloseColours) {
  const TRgbPicture picture = Sample(64, 64, 0);  // thousands of colours
  const TIndexedFrame frame = IndexColours(picture);
  ASSERT_EQ(frame.Palette.size(), 256u * 3);
  std::set<uint8_t> used(frame.Indices.begin(), frame.Indices.end());
  EXPECT_EQ(used.size(), 256u) << "every colour of the table is used";
  double error = 0;
  for (size_t i = 0; i < frame.Indices.size(); ++i)
    for (int c = 0; c < 3; ++c) error += std::abs(int(frame.Palette[frame.Indices[i] * 3u + c]) - int(picture.Rgb[i * 3 + c]));
  EXPECT_LT(error / double(frame.Indices.size() * 3), 8.0) << "the mean error per channel";
}

TEST(GifColours, DelaysKeepTheAverageRate) {
  int64_t total = 0;
  std::set<int32_t> seen;
  for (int64_t i = 0; i < 125; ++i) {
    seen.insert(GifFrameDelay(i, 16));
    total += GifFrameDelay(i, 16);
  }
  EXPECT_EQ(total, 200) << "125 frames of 16 ms are 2 s";
  EXPECT_EQ(seen, (std::set<int32_t>{1, 2}));
  EXPECT_EQ(GifFrameDelay(0, 80), 8);
  EXPECT_EQ(GifFrameDelay(7, 80), 8);
}

TEST_F(PictureExport, GifReadsBackFrameByFrame) {
  std::vector<TRgbPicture> frames;
  for (int i = 0; i < 5; ++i) frames.push_back(Sample(21, 13, 100, i * 17));
  WriteGif(Path("a.gif"), frames, 32);
  const TGifFile gif = ReadGif(Path("a.gif"));
  ASSERT_TRUE(gif.Read);
  EXPECT_EQ(gif.Width, 21);
  EXPECT_EQ(gif.Height, 13);
  ASSERT_EQ(gif.Frames.size(), 5u);
  for (size_t i = 0; i < frames.size(); ++i) EXPECT_EQ(gif.Frames[i], frames[i]) << "frame " << i;
  EXPECT_EQ(gif.Delays, (std::vector<int>{3, 3, 4, 3, 3}));
  EXPECT_TRUE(gif.Loops);
  EXPECT_EQ(Entries(), 1u) << "no temporary is left";
}

TEST_F(PictureExport, AFrameOfTheWrongSizeIsRefused) {
  TStreamingFile file(Path("a.gif"));
  TGifAnimation gif(file, 10, 10, 16);
  EXPECT_THROW(gif.AddFrame(Sample(10, 9, 4)), EGifError);
  EXPECT_THROW(TGifAnimation(file, 0, 10, 16), EGifError);
}

TEST_F(PictureExport, AStreamingFileAppearsOnlyOnCommit) {
  const std::string name = Path("s.bin");
  std::ofstream(name) << "before";
  {
    TStreamingFile file(name);
    file.Write("new ");
    file.Write("bytes");
    EXPECT_EQ(Entries(), 2u) << "the temporary beside the old file";
  }
  EXPECT_EQ(Entries(), 1u) << "destroyed uncommitted: the temporary is gone";
  std::ostringstream kept;
  kept << std::ifstream(name).rdbuf();
  EXPECT_EQ(kept.str(), "before");
  {
    TStreamingFile file(name);
    file.Write("new bytes");
    file.Commit();
    EXPECT_THROW(file.Write("more"), TXMLNodeError);
  }
  std::ostringstream committed;
  committed << std::ifstream(name).rdbuf();
  EXPECT_EQ(committed.str(), "new bytes");
  EXPECT_EQ(Entries(), 1u);
}

TEST_F(PictureExport, AnUnwritablePathIsNamed) {
  const std::string name = Path("missing/a.gif");
  try {
    TStreamingFile file(name);
    FAIL() << "opened";
  } catch (const TXMLNodeError& e) {
    EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
  }
  EXPECT_THROW(TStreamingFile file(Dir.string()), TXMLNodeError) << "a folder";
}

TEST_F(PictureExport, TheRecorderWritesEveryFrameItTakes) {
  std::vector<TRgbPicture> frames;
  for (int i = 0; i < 12; ++i) frames.push_back(Sample(30, 20, 50, i));
  std::vector<std::pair<int64_t, int64_t>> progress;
  {
    TGifRecorder recorder(Path("r.gif"), 30, 20, 16, 64);
    for (const TRgbPicture& f : frames) ASSERT_TRUE(recorder.Push(f));
    recorder.Finish([&](int64_t Written, int64_t Taken) { progress.emplace_back(Written, Taken); });
    EXPECT_EQ(recorder.Written(), 12);
    EXPECT_EQ(recorder.Dropped(), 0);
    EXPECT_EQ(recorder.Error(), "");
  }
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), std::make_pair(int64_t{12}, int64_t{12}));
  const TGifFile gif = ReadGif(Path("r.gif"));
  ASSERT_EQ(gif.Frames.size(), 12u);
  EXPECT_EQ(gif.Frames[7], frames[7]);
  EXPECT_EQ(std::accumulate(gif.Delays.begin(), gif.Delays.end(), 0), 19) << "12 x 16 ms, rounded";
}

TEST_F(PictureExport, ARecordingStoppedWithoutFinishLeavesNoFile) {
  {
    TGifRecorder recorder(Path("r.gif"), 30, 20, 16);
    recorder.Push(Sample(30, 20, 10));
  }
  EXPECT_EQ(Entries(), 0u);
}

// The file-size limit makes the disk refuse the recording half-way, as a full disk would.
TEST_F(PictureExport, ARecordingThatFailsHalfWayRemovesItsPartialFile) {
  std::string error;
  {
    TFileSizeLimit limit(20000);
    ASSERT_TRUE(limit.Set());
    TGifRecorder recorder(Path("big.gif"), 64, 64, 16, 1000);
    for (int i = 0; i < 40; ++i) recorder.Push(Sample(64, 64, 0, i));
    try {
      recorder.Finish();
    } catch (const EGifError& e) {
      error = e.what();
    }
    EXPECT_LT(recorder.Written(), 40);
  }
  EXPECT_NE(error.find(Path("big.gif")), std::string::npos) << error;
  EXPECT_EQ(Entries(), 0u) << "the partial file is removed";
}

}  // namespace
