#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "objects/SurfaceDrawing.h"

using namespace plashbox;

namespace {

constexpr TPixelColor Black{0, 0, 0};

TFastDIB& Blank(TFastDIB& Surface, int W, int H) {
  Surface.SetSize(W, H, 24);
  for (int row = 0; row < H; ++row)
    for (int col = 0; col < W; ++col) Surface.Rows24()[row][col] = Black;
  return Surface;
}

// The pixels that are not black, one string per screen row from the top, '#' painted.
std::vector<std::string> Picture(const TFastDIB& Surface, int Left, int Top, int W, int H) {
  std::vector<std::string> rows;
  for (int Y = Top; Y < Top + H; ++Y) {
    std::string line;
    for (int X = Left; X < Left + W; ++X)
      line += Surface.Rows24()[Surface.AbsHeight() - 1 - Y][X] == Black ? '.' : '#';
    rows.push_back(line);
  }
  return rows;
}

TPixelColor At(const TFastDIB& Surface, int X, int ScreenY) {
  return Surface.Rows24()[Surface.AbsHeight() - 1 - ScreenY][X];
}

// A sink on Surface for a grid of the surface's height.
TSurfaceDrawing Sink(TFastDIB& Surface) { return TSurfaceDrawing(Surface, Surface.AbsHeight()); }

}  // namespace

TEST(SurfaceDrawing, DiscMasksForRadiusOneAndFour) {
  TFastDIB s;
  const TPixelColor c{10, 20, 30};
  // Grid row 10 is screen row 10; R = 1 covers the box (9, 9) .. (11, 11), right and bottom open.
  Sink(Blank(s, 21, 21)).Disc(10, 10, 1, c);
  EXPECT_EQ(Picture(s, 8, 8, 4, 4), (std::vector<std::string>{"....", ".##.", ".##.", "...."}));
  EXPECT_EQ(At(s, 9, 9), c);
  Sink(Blank(s, 21, 21)).Disc(10, 10, 4, c);
  EXPECT_EQ(Picture(s, 5, 5, 10, 10), (std::vector<std::string>{
                                          "..........",
                                          "...####...",
                                          "..######..",
                                          ".########.",
                                          ".########.",
                                          ".########.",
                                          ".########.",
                                          "..######..",
                                          "...####...",
                                          "..........",
                                      }));
  // Grid y counts upward: y = 15 is screen row 5.
  Sink(Blank(s, 21, 21)).Disc(10, 15, 1, c);
  EXPECT_EQ(Picture(s, 9, 4, 2, 2), (std::vector<std::string>{"##", "##"}));
  // Off the surface nothing is written and nothing breaks; nor on the outermost line, which the
  // water's picture never colours again (a handle dragged along it would leave a trail).
  Sink(Blank(s, 21, 21)).Disc(-1, -1, 4, c);
  EXPECT_EQ(At(s, 2, 19), c);
  EXPECT_EQ(At(s, 2, 20), Black);
  EXPECT_EQ(At(s, 3, 19), Black);
}

TEST(SurfaceDrawing, HandleHasHighlightAndShadow) {
  TFastDIB s;
  const TPixelColor c{150, 70, 56};
  const TPixelColor light{182, 126, 116};  // c + (255 - c) x 0.3, rounded
  const TPixelColor dark{120, 56, 45};     // c x 0.8, rounded
  const int X = 15, y = 12, Y = 31 - 1 - y;
  Sink(Blank(s, 31, 31)).Handle({X, y}, c);
  EXPECT_EQ(At(s, X, Y), c);
  EXPECT_EQ(At(s, X - 2, Y - 1), light);
  EXPECT_EQ(At(s, X - 1, Y - 2), light);
  EXPECT_EQ(At(s, X + 3, Y), dark);
  EXPECT_EQ(At(s, X, Y + 3), dark);
  // The three shadow pixels, set through grid rows.
  EXPECT_EQ(s.Rows24()[y - 2][X + 2], dark);
  EXPECT_EQ(s.Rows24()[y + 1][X + 3], dark);
  EXPECT_EQ(s.Rows24()[y - 3][X - 1], dark);
  // Around the knob's 8 x 8 box a light ring, so that the handle shows on any medium; nothing
  // outside the ring's 10 x 10 box.
  const TPixelColor ring{230, 236, 240};
  int ringPixels = 0;
  for (int Yp = 0; Yp < 31; ++Yp)
    for (int Xp = 0; Xp < 31; ++Xp) {
      if (Xp < X - 5 || Xp > X + 4 || Yp < Y - 5 || Yp > Y + 4)
        EXPECT_EQ(At(s, Xp, Yp), Black) << Xp << "," << Yp;
      else if (Xp < X - 4 || Xp > X + 3 || Yp < Y - 4 || Yp > Y + 3)
        ringPixels += At(s, Xp, Yp) == ring;
    }
  EXPECT_GE(ringPixels, 16);
}

TEST(SurfaceDrawing, DoubleArrowHeadsPointAwayAlongTheLine) {
  TFastDIB s;
  const TPixelColor c{0, 255, 0};
  // Zero length: no heads, only the one point of the line.
  Sink(Blank(s, 41, 41)).DoubleArrow({20, 20}, {20, 20}, 3, c);
  for (int Y = 0; Y < 41; ++Y)
    for (int X = 0; X < 41; ++X) EXPECT_EQ(At(s, X, Y), X == 20 && Y == 20 ? c : Black) << X << "," << Y;
  // From grid (20, 10), screen row 30, to grid (20, 30), screen row 10: the barbs of the head at
  // row 30 end at Round(20 -+ 2.4) = 18 and 22, screen row Round(30 - 3.6) = 26; the head at row
  // 10 opens downward.
  Sink(Blank(s, 41, 41)).DoubleArrow({20, 10}, {20, 30}, 3, c);
  for (int Y = 10; Y <= 30; ++Y) EXPECT_EQ(At(s, 20, Y), c);
  EXPECT_EQ(At(s, 18, 26), c);
  EXPECT_EQ(At(s, 22, 26), c);
  EXPECT_EQ(At(s, 18, 14), c);
  EXPECT_EQ(At(s, 20, 9), Black);
  EXPECT_EQ(At(s, 20, 31), Black);
  for (int X = 0; X < 41; ++X) EXPECT_EQ(At(s, X, 25) == c, X == 20) << X;
}

TEST(SurfaceDrawing, CellsLandOnTheirScreenRowAndNeverOnTheOutermostLine) {
  TFastDIB s;
  const TPixelColor c{1, 2, 3};
  TSurfaceDrawing sink(Blank(s, 11, 11), 11);
  sink.Cell(3, 2, c);   // grid row 2 is screen row 8
  sink.Cell(0, 5, c);   // the outermost column
  sink.Cell(5, 10, c);  // the top row
  sink.Cell(50, -7, c);
  EXPECT_EQ(Picture(s, 0, 0, 11, 11), (std::vector<std::string>{
                                          "...........",
                                          "...........",
                                          "...........",
                                          "...........",
                                          "...........",
                                          "...........",
                                          "...........",
                                          "...........",
                                          "...#.......",
                                          "...........",
                                          "...........",
                                      }));
}

TEST(SurfaceDrawing, FilledPolygonTakesTheCellsWhoseCentresLieInside) {
  TFastDIB s;
  const TPixelColor c{9, 9, 9};
  // A square from 2 to 6: the cells 2 .. 5 both ways (an edge owns its lower end).
  const std::vector<TGridPoint> square{{2, 2}, {6, 2}, {6, 6}, {2, 6}};
  Sink(Blank(s, 9, 9)).FilledPolygon(square, c);
  EXPECT_EQ(Picture(s, 0, 0, 9, 9), (std::vector<std::string>{
                                        ".........",
                                        ".........",
                                        ".........",
                                        "..####...",
                                        "..####...",
                                        "..####...",
                                        "..####...",
                                        ".........",
                                        ".........",
                                    }));
  // A triangle whose long edge runs through cell centres, and the same turned the other way
  // round (point order does not matter).
  const std::vector<TGridPoint> triangle{{1, 1}, {7, 1}, {1, 7}};
  Sink(Blank(s, 9, 9)).FilledPolygon(triangle, c);
  const std::vector<std::string> expected{
      ".........", ".........", ".#.......", ".##......", ".###.....",
      ".####....", ".#####...", ".######..", ".........",
  };
  EXPECT_EQ(Picture(s, 0, 0, 9, 9), expected);
  const std::vector<TGridPoint> reversed{{1, 7}, {7, 1}, {1, 1}};
  Sink(Blank(s, 9, 9)).FilledPolygon(reversed, c);
  EXPECT_EQ(Picture(s, 0, 0, 9, 9), expected);
  // Far past the picture: only the inner pixels, and nothing breaks.
  const std::vector<TGridPoint> huge{{-2000000000, -2000000000}, {2000000000, -2000000000}, {0, 2000000000}};
  Sink(Blank(s, 9, 9)).FilledPolygon(huge, c);
  EXPECT_EQ(Picture(s, 0, 0, 9, 9)[4], ".#######.");
  EXPECT_EQ(Picture(s, 0, 0, 9, 9)[0], ".........");
}

TEST(SurfaceDrawing, PolylineJoinsThePointsAndClosesOnRequest) {
  TFastDIB s;
  const TPixelColor c{200, 100, 50};
  const std::vector<TGridPoint> corner{{2, 2}, {6, 2}, {6, 6}};
  Sink(Blank(s, 9, 9)).Polyline(corner, false, c);
  EXPECT_EQ(Picture(s, 0, 0, 9, 9), (std::vector<std::string>{
                                        ".........",
                                        ".........",
                                        "......#..",
                                        "......#..",
                                        "......#..",
                                        "......#..",
                                        "..#####..",
                                        ".........",
                                        ".........",
                                    }));
  const std::vector<TGridPoint> square{{2, 2}, {6, 2}, {6, 6}, {2, 6}};
  Sink(Blank(s, 9, 9)).Polyline(square, true, c);
  EXPECT_EQ(Picture(s, 0, 0, 9, 9)[4], "..#...#..");
  EXPECT_EQ(Picture(s, 0, 0, 9, 9)[2], "..#####..");
}
