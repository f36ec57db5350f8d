#include "raster/FastDraw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <utility>
#include <vector>

namespace plashbox {
namespace {

using Grid = std::vector<std::vector<int>>;       // [line from top][column]
using Points = std::vector<std::pair<int, int>>;  // (x, line from top), top line first

constexpr TPixelColor Black{0, 0, 0};
constexpr TPixelColor Blue{255, 0, 0};
constexpr TPixelColor White{255, 255, 255};

std::unique_ptr<TFastDIB> Surface(int width, int height, int bits) {
  auto dib = std::make_unique<TFastDIB>();
  dib->SetSize(width, height, bits);
  return dib;
}

TPixelColor& At(const TFastDIB& dib, int x, int top) {
  return dib.Rows24()[dib.Height() > 0 ? dib.AbsHeight() - 1 - top : top][x];
}

void Fill(const TFastDIB& dib, const std::function<TPixelColor(int x, int top)>& colour) {
  for (int top = 0; top < dib.AbsHeight(); ++top)
    for (int x = 0; x < dib.Width(); ++x) At(dib, x, top) = colour(x, top);
}

Grid BlueGrid(const TFastDIB& dib) {
  Grid grid(dib.AbsHeight(), std::vector<int>(dib.Width()));
  for (int top = 0; top < dib.AbsHeight(); ++top)
    for (int x = 0; x < dib.Width(); ++x) grid[top][x] = At(dib, x, top).Blue;
  return grid;
}

Points Changed(const TFastDIB& dib, TPixelColor background) {
  Points points;
  for (int top = 0; top < dib.AbsHeight(); ++top)
    for (int x = 0; x < dib.Width(); ++x)
      if (!(At(dib, x, top) == background)) points.emplace_back(x, top);
  return points;
}

bool Untouched(const TFastDIB& dib) {
  const std::uint8_t* bytes = dib.PixelData();
  return std::all_of(bytes, bytes + dib.Header().biSizeImage, [](int b) { return b == 0; });
}

TEST(GradientRectTest, FixedPointStepsPerRowAndColumn) {
  auto dib = Surface(4, 2, 24);
  GradientRect(*dib, 0, 0, 4, 2, {0, 255, 7}, {200, 0, 7}, {100, 0, 7}, {0, 0, 7});
  EXPECT_EQ(std::vector(dib->Rows24()[0], dib->Rows24()[0] + 4),
            (std::vector<TPixelColor>{{50, 191, 7}, {100, 127, 7}, {150, 63, 7}, {200, 0, 7}}));
  EXPECT_EQ(std::vector(dib->Rows24()[1], dib->Rows24()[1] + 4),
            (std::vector<TPixelColor>{{62, 95, 7}, {75, 63, 7}, {87, 31, 7}, {100, 0, 7}}));

  auto narrow = Surface(3, 1, 24);  // a truncated step never quite arrives
  GradientRect(*narrow, 0, 0, 3, 1, Black, Blue, Black, Black);
  EXPECT_EQ(BlueGrid(*narrow), (Grid{{84, 169, 254}}));
}

TEST(GradientRectTest, BackgroundFillKeepsTheFrameAndPutsGreyTopLeft) {
  auto dib = Surface(6, 6, 24);
  for (const auto& [x1, y1, x2, y2] : {std::array{1, 2, 4, 2}, {3, 1, 3, 4}, {4, 1, 1, 4}})
    GradientRect(*dib, x1, y1, x2, y2, White, White, White, White);
  EXPECT_TRUE(Untouched(*dib));

  GradientRect(*dib, 1, 1, 5, 5, White, White, {200, 200, 200}, White);
  EXPECT_EQ(BlueGrid(*dib), (Grid{{0, 0, 0, 0, 0, 0},
                                  {0, 223, 234, 244, 255, 0},
                                  {0, 234, 241, 248, 255, 0},
                                  {0, 244, 248, 251, 255, 0},
                                  {0, 255, 255, 255, 255, 0},
                                  {0, 0, 0, 0, 0, 0}}));
  EXPECT_EQ(At(*dib, 1, 1), (TPixelColor{223, 223, 223}));
}

TEST(GradientRectTest, ClippedRectangleKeepsItsSteps) {
  const TPixelColor c1{0, 40, 250}, c2{255, 0, 3}, c3{90, 200, 17}, c4{10, 255, 128};
  auto big = Surface(12, 10, 24);
  GradientRect(*big, 0, 0, 12, 10, c1, c2, c3, c4);
  auto small = Surface(5, 4, 24);
  GradientRect(*small, -3, -2, 9, 8, c1, c2, c3, c4);
  for (int row = 0; row < 4; ++row)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(small->Rows24()[row][x], big->Rows24()[row + 2][x + 3]);

  auto spare = Surface(5, 4, 24);
  GradientRect(*spare, -10, 0, 0, 4, White, White, White, White);
  GradientRect(*spare, INT_MIN, INT_MIN, INT_MAX, -1, White, White, White, White);
  EXPECT_TRUE(Untouched(*spare));
}

TEST(SmoothLineTest, AxisAlignedAndDiagonalLinesAreFullColour) {
  auto dib = Surface(30, 30, 24);
  SmoothLine(*dib, 10, 10, 10, 20, Blue);
  Points column;
  for (int top = 10; top <= 20; ++top) column.emplace_back(10, top);
  EXPECT_EQ(Changed(*dib, Black), column);
  EXPECT_EQ(dib->Rows24()[30 - 21][10], Blue);

  const TPixelColor background{5, 6, 7};
  for (const bool rising : {false, true}) {
    Fill(*dib, [&](int, int) { return background; });
    SmoothLine(*dib, rising ? 5 : 0, 0, rising ? 0 : 5, 5, Blue);
    Points diagonal;
    for (int top = 0; top <= 5; ++top) diagonal.emplace_back(rising ? 5 - top : top, top);
    EXPECT_EQ(Changed(*dib, background), diagonal);
    EXPECT_EQ(At(*dib, 2, rising ? 3 : 2), Blue);
  }
}

TEST(SmoothLineTest, BlendRoundsDownOnBothSides) {
  auto dib = Surface(5, 2, 24);
  const TPixelColor background{11, 200, 100}, colour{250, 0, 100};
  Fill(*dib, [&](int, int) { return background; });
  SmoothLine(*dib, 0, 0, 4, 1, colour);
  // From x = 3 down to 1 the weights are 64, 128 and 192, main pixels on line 1.
  const std::vector<TPixelColor> line0{colour, {190, 50, 100}, {130, 100, 100}, {70, 150, 100},
                                       background};
  const std::vector<TPixelColor> line1{background, {70, 150, 100}, {130, 100, 100},
                                       {190, 50, 100}, colour};
  EXPECT_EQ(std::vector(dib->Rows24()[1], dib->Rows24()[1] + 5), line0);
  EXPECT_EQ(std::vector(dib->Rows24()[0], dib->Rows24()[0] + 5), line1);
}

TEST(SmoothLineTest, AccumulatorWrapsIntoTheNextLine) {
  auto flat = Surface(6, 3, 24);
  SmoothLine(*flat, 0, 0, 5, 2, Blue);
  EXPECT_EQ(BlueGrid(*flat),
            (Grid{{255, 152, 50, 0, 0, 0}, {0, 102, 204, 203, 101, 0}, {0, 0, 0, 51, 153, 255}}));
  auto topDown = Surface(6, -3, 24);  // not turned: the run starts at the first point
  SmoothLine(*topDown, 0, 0, 5, 2, Blue);
  EXPECT_EQ(BlueGrid(*topDown),
            (Grid{{255, 153, 51, 0, 0, 0}, {0, 101, 203, 204, 102, 0}, {0, 0, 0, 50, 152, 255}}));
  auto steep = Surface(2, 5, 24);
  SmoothLine(*steep, 0, 0, 1, 4, Blue);
  EXPECT_EQ(BlueGrid(*steep), (Grid{{255, 0}, {191, 63}, {127, 127}, {63, 191}, {0, 255}}));
}

TEST(SolidLineTest, BresenhamInBothOrdersAndOrientations) {
  const Points flat{{0, 0}, {1, 0}, {2, 1}, {3, 1}, {4, 2}, {5, 2}};
  const Points steep{{0, 0}, {0, 1}, {1, 2}, {1, 3}, {2, 4}, {2, 5}};
  for (const int height : {6, -6}) {
    for (const auto& [line, expected] :
         {std::pair{std::array{0, 0, 5, 2}, flat}, {{5, 2, 0, 0}, flat}, {{2, 5, 0, 0}, steep},
          {{3, 4, 3, 4}, Points{{3, 4}}}}) {
      auto dib = Surface(6, height, 24);
      SolidLine(*dib, line[0], line[1], line[2], line[3], Blue);
      EXPECT_EQ(Changed(*dib, Black), expected) << height << " " << line[0] << "," << line[1];
    }
  }
}

TEST(FastDrawTest, OtherDepths) {
  auto dib32 = Surface(5, 2, 32);
  for (int row = 0; row < 2; ++row)
    for (int x = 0; x < 5; ++x) dib32->Rows32()[row][x] = {11, 200, 100, 0xAB};
  SmoothLine(*dib32, 0, 0, 4, 1, {250, 0, 100});
  EXPECT_EQ(dib32->Rows32()[0][3], (TPixel32{190, 50, 100, 0xAB}));
  GradientRect(*dib32, 0, 0, 4, 2, {0, 255, 7}, {200, 0, 7}, {100, 0, 7}, {0, 0, 7});
  EXPECT_EQ(dib32->Rows32()[1][0], (TPixel32{62, 95, 7, 0xAB}));

  auto dib16 = Surface(5, 2, 16);
  dib16->SetSizeAndFormat(nullptr, 5, 2, 16, 5, 6, 5);
  SmoothLine(*dib16, 0, 0, 4, 1, White);
  EXPECT_EQ(dib16->Rows16()[1][0], 0xFFFF);
  EXPECT_EQ(dib16->Rows16()[0][3], (23 << 11) | (47 << 5) | 23);
  EXPECT_EQ(dib16->Rows16()[1][3], (7 << 11) | (15 << 5) | 7);

  // Palette running from white down to black: indices are blended and
  // interpolated as numbers, not as the colours they stand for.
  auto dib8 = Surface(5, 2, 8);
  for (int i = 0; i < 256; ++i) {
    const auto level = static_cast<std::uint8_t>(255 - i);
    dib8->ColorTable()[i] = {level, level, level, 0};
  }
  std::memset(dib8->PixelData(), 10, dib8->Header().biSizeImage);
  SmoothLine(*dib8, 0, 0, 4, 1, Black);
  EXPECT_EQ((std::vector<int>{dib8->Rows8()[1][0], dib8->Rows8()[0][3], dib8->Rows8()[1][3]}),
            (std::vector{255, 193, 71}));
  GradientRect(*dib8, 0, 0, 4, 1, Black, White, Black, Black);
  EXPECT_EQ(std::vector(dib8->Rows8()[0], dib8->Rows8()[0] + 4),
            (std::vector<std::uint8_t>{191, 127, 63, 0}));

  for (const int bits : {1, 4, 16}) {
    auto dib = Surface(5, 2, bits);
    if (bits != 16) {  // 16 bits take lines but no gradient
      SmoothLine(*dib, 0, 0, 4, 1, White);
      SolidLine(*dib, 0, 0, 4, 0, White);
    }
    GradientRect(*dib, 0, 0, 4, 2, White, White, White, White);
    EXPECT_TRUE(Untouched(*dib)) << bits;
  }
}

// The routines written out literally, step by step, on a picture of rows as stored; the
// optimised workers (which start a clipped line part-way) must give exactly these pixels.
struct TReferencePicture {
  int W, H;  // positive height: lines turn y
  std::vector<TPixelColor> Pixels;
  TPixelColor& At(int x, int row) { return Pixels[std::size_t(row) * std::size_t(W) + std::size_t(x)]; }
};

int FloorDiv256(int v) { return v >= 0 ? v / 256 : -((-v + 255) / 256); }

void ReferenceSolid(TReferencePicture& p, int x1, int y1, int x2, int y2, TPixelColor c) {
  y1 = p.H - 1 - y1;
  y2 = p.H - 1 - y2;
  const int ax = 2 * std::abs(x2 - x1), ay = 2 * std::abs(y2 - y1);
  const int sx = x2 - x1 < 0 ? -1 : 1, sy = y2 - y1 < 0 ? -1 : 1;
  int x = x1, y = y1;
  p.At(x, y) = c;
  if (ax > ay) {
    int d = ay - ax / 2;
    while (x != x2) {
      if (d >= 0) {
        y += sy;
        d -= ax;
      }
      x += sx;
      d += ay;
      p.At(x, y) = c;
    }
  } else {
    int d = ax - ay / 2;
    while (y != y2) {
      if (d >= 0) {
        x += sx;
        d -= ay;
      }
      y += sy;
      d += ax;
      p.At(x, y) = c;
    }
  }
}

void ReferenceSmooth(TReferencePicture& p, int x1, int y1, int x2, int y2, TPixelColor c) {
  if (y1 == y2 || x1 == x2) return ReferenceSolid(p, x1, y1, x2, y2, c);
  y1 = p.H - 1 - y1;
  y2 = p.H - 1 - y2;
  if (y1 > y2) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  int dx = x2 - x1;
  const int dy = y2 - y1;
  int xstep = 1;
  if (dx < 0) {
    xstep = -1;
    dx = -dx;
  }
  auto blend = [&](TPixelColor& px, bool main, int w) {
    for (auto [pc, cc] : {std::pair{&px.Blue, c.Blue}, {&px.Green, c.Green}, {&px.Red, c.Red}}) {
      const int old = *pc, col = cc;
      *pc = std::uint8_t(main ? col + FloorDiv256((old - col) * w) : old + FloorDiv256((col - old) * w));
    }
  };
  p.At(x1, y1) = c;
  int x = x1, y = y1;
  std::uint16_t acc = 0;
  if (dy > dx) {
    const int step = dx * 65536 / dy;
    for (int i = 0; i < dy - 1; ++i) {
      const auto next = std::uint16_t(acc + step);
      if (next <= acc) x += xstep;
      acc = next;
      y += 1;
      blend(p.At(x, y), true, acc >> 8);
      blend(p.At(x + xstep, y), false, acc >> 8);
    }
  } else {
    const int step = dy * 65536 / dx;
    for (int i = 0; i < dx - 1; ++i) {
      const auto next = std::uint16_t(acc + step);
      if (next <= acc) y += 1;
      acc = next;
      x += xstep;
      blend(p.At(x, y), true, acc >> 8);
      blend(p.At(x, y + 1), false, acc >> 8);
    }
  }
  p.At(x2, y2) = c;
}

void ReferenceGradient(TReferencePicture& p, int x1, int y1, int x2, int y2, TPixelColor c1, TPixelColor c2,
                       TPixelColor c3, TPixelColor c4) {
  if (y2 <= y1) return;
  const int v = 65536 / (y2 - y1), h = x1 == x2 ? 0 : 65536 / (x2 - x1);
  for (int k = 0; y1 + k < y2; ++k) {
    const int top = 65536 - k * v, bottom = k * v;
    auto channel = [&](std::uint8_t TPixelColor::*field) {
      const int left = (c1.*field * top + c3.*field * bottom) >> 16;
      const int right = (c2.*field * top + c4.*field * bottom) >> 16;
      const int increment = (right - left) * h;
      int acc = left * 65536;
      for (int x = x1; x < x2; ++x) {
        acc += increment;
        p.At(x, y1 + k).*field = std::uint8_t(acc >> 16);
      }
    };
    channel(&TPixelColor::Blue);
    channel(&TPixelColor::Green);
    channel(&TPixelColor::Red);
  }
}

TEST(ReferenceTest, RoutinesMatchTheirStepByStepDefinition) {
  std::mt19937 random(7);
  const int W = 70, H = 50;
  auto colour = [&] { return TPixelColor{std::uint8_t(random()), std::uint8_t(random()), std::uint8_t(random())}; };
  for (int round = 0; round < 400; ++round) {
    auto dib = Surface(W, H, 24);
    TReferencePicture ref{W, H, std::vector<TPixelColor>(std::size_t(W) * H)};
    for (int row = 0; row < H; ++row)
      for (int x = 0; x < W; ++x) ref.At(x, row) = dib->Rows24()[row][x] = colour();
    // A rectangle and a few lines over each other, so that blends meet earlier strokes.
    int x1 = int(random() % W), x2 = int(random() % (W + 1)), y1 = int(random() % H), y2 = int(random() % (H + 1));
    const TPixelColor c1 = colour(), c2 = colour(), c3 = colour(), c4 = colour();
    GradientRect(*dib, x1, y1, x2, y2, c1, c2, c3, c4);
    ReferenceGradient(ref, x1, y1, x2, y2, c1, c2, c3, c4);
    for (int line = 0; line < 4; ++line) {
      x1 = int(random() % W), x2 = int(random() % W), y1 = int(random() % H), y2 = int(random() % H);
      const TPixelColor c = colour();
      if (line % 2) {
        SmoothLine(*dib, x1, y1, x2, y2, c);
        ReferenceSmooth(ref, x1, y1, x2, y2, c);
      } else {
        SolidLine(*dib, x1, y1, x2, y2, c);
        ReferenceSolid(ref, x1, y1, x2, y2, c);
      }
    }
    for (int row = 0; row < H; ++row)
      for (int x = 0; x < W; ++x) ASSERT_EQ(dib->Rows24()[row][x], ref.At(x, row)) << "round " << round << " at " << x << "," << row;
  }
}

// A small surface showing the window (ox, oy) of a larger one must receive
// exactly the pixels the larger one gets there.
void ExpectClippedLikeUnclipped(int bigW, int bigH, int w, int h, int ox, int oy,
                                const std::vector<std::array<int, 4>>& lines) {
  auto pattern = [](int x, int top) {
    return TPixelColor{std::uint8_t(x * 7 + top * 13), std::uint8_t(x * 3), std::uint8_t(top * 5)};
  };
  auto big = Surface(bigW, bigH, 24);
  auto small = Surface(w, h, 24);
  for (const auto& line : lines) {
    for (const auto draw : {&SmoothLine, &SolidLine}) {
      Fill(*big, pattern);
      Fill(*small, [&](int x, int top) { return pattern(x + ox, top + oy); });
      draw(*big, line[0], line[1], line[2], line[3], White);
      draw(*small, line[0] - ox, line[1] - oy, line[2] - ox, line[3] - oy, White);
      for (int top = 0; top < h; ++top)
        for (int x = 0; x < w; ++x)
          ASSERT_EQ(At(*small, x, top), At(*big, x + ox, top + oy))
              << line[0] << "," << line[1] << " - " << line[2] << "," << line[3] << " at " << x
              << "," << top << (draw == &SmoothLine ? " smooth" : " solid");
    }
  }
}

TEST(LineClippingTest, PixelsOnTheSurfaceMatchTheWholeLine) {
  std::mt19937 random(20240611);
  std::vector<std::array<int, 4>> lines{{0, 0, 63, 47}, {63, 0, 0, 47}, {0, 20, 63, 20}};
  for (int i = 0; i < 300; ++i)
    lines.push_back({int(random() % 64), int(random() % 48), int(random() % 64),
                     int(random() % 48)});
  ExpectClippedLikeUnclipped(64, 48, 20, 16, 22, 17, lines);
}

TEST(LineClippingTest, LongLinesEnteringFromFarAway) {
  ExpectClippedLikeUnclipped(200001, 8, 20, 8, 99990, 0,
                             {{0, 1, 200000, 6}, {200000, 0, 0, 7}, {3, 7, 199999, 0}});
  ExpectClippedLikeUnclipped(8, 200001, 8, 20, 0, 99990,
                             {{1, 0, 6, 200000}, {0, 200000, 7, 0}, {7, 3, 0, 199999}});
  // Steep enough for the accumulator's step to be 0.
  ExpectClippedLikeUnclipped(3, 70001, 3, 20, 0, 69970, {{0, 0, 1, 70000}, {2, 70000, 1, 0}});
}

TEST(LineClippingTest, ExtremeEndPoints) {
  // Bresenham's line after n steps is n * dy / dx rounded half up.
  auto dib = Surface(16, -16, 24);
  SolidLine(*dib, INT_MIN, INT_MIN, INT_MAX, INT_MAX - 7, Blue);
  const __int128 a = (__int128{1} << 32) - 1, b = (__int128{1} << 32) - 8;
  Points expected;
  for (int x = 0; x < 16; ++x) {
    const __int128 n = __int128{x} - INT_MIN;
    const auto y = static_cast<long long>(INT_MIN + (2 * n * b + a) / (2 * a));
    if (y >= 0 && y < 16) expected.emplace_back(x, static_cast<int>(y));
  }
  ASSERT_GT(expected.size(), 5u);
  EXPECT_EQ(Changed(*dib, Black), expected);
}

}  // namespace
}  // namespace plashbox
