#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <set>
#include <string>

#include "objects/SurfaceDrawing.h"
#include "objects/uGeneralExciter.h"
#include "text/TextCatalogue.h"
#include "xmlworker/XMLFormat.h"

using namespace plashbox;

namespace {

struct TScene {
  TRef<TGeneralExciter> E;
  TCellsRef Grid;
  int32_t W, H;
  TCellRef operator()(int32_t x, int32_t y) const { return Grid->Writable(x)[y]; }
};

TScene Scene(int32_t BeamType, int32_t W = 401, int32_t H = 401) {
  TScene s{NewNode<TGeneralExciter>(), std::make_shared<TWaterGrid>(W, H), W, H};
  s.E->AttachGrid(s.Grid, W, H);
  s.E->SetBeamType(BeamType);
  return s;
}

constexpr TPixelColor Black{0, 0, 0};

// The lowest and highest grid rows with painted pixels, and the columns they lie in.
struct TPainted {
  int32_t Count = 0, Bottom = 1 << 30, Top = -1, Left = 1 << 30, Right = -1;
};
TPainted Painted(const TFastDIB& S) {
  TPainted p;
  for (int32_t y = 0; y < S.AbsHeight(); ++y)
    for (int32_t x = 0; x < S.Width(); ++x)
      if (!(S.Rows24()[y][x] == Black)) {
        ++p.Count;
        p.Bottom = std::min(p.Bottom, y);
        p.Top = std::max(p.Top, y);
        p.Left = std::min(p.Left, x);
        p.Right = std::max(p.Right, x);
      }
  return p;
}

TPainted PaintOf(TGeneralExciter& E, int32_t W, int32_t H) {
  TFastDIB s;
  s.SetSize(W, H, 24);
  TSurfaceDrawing sink(s, H);
  E.Draw(sink);
  return Painted(s);
}

float BeamValue(float Signal1, int i) { return static_cast<float>(1.8 * Signal1 * std::exp(-0.5 * i * i / 900.0)); }

}  // namespace

TEST(GeneralExciterSetup, DefaultsOn401) {
  const TScene s = Scene(btBeam);
  TGeneralExciter& e = *s.E;
  EXPECT_EQ(e.BeamType, 1);
  EXPECT_EQ(e.X1, 44);
  EXPECT_EQ(e.Y1, 200);
  EXPECT_EQ(e.X2, 356);
  EXPECT_EQ(e.Y2, 200);
  EXPECT_EQ(e.X3, 44);
  EXPECT_EQ(e.Y3, 200);
  EXPECT_EQ(e.GetBeamColumn(), 40);
  EXPECT_FALSE(e.Snap_to_Grid);
  EXPECT_EQ(e.DopplerSpeed, 0.6f);
  EXPECT_FALSE(e.Harmonics);
  EXPECT_FALSE(e.UseFreq);
  EXPECT_EQ(e.GetShapeKind(), 4);
  EXPECT_EQ(e.GetTypeName(), "Wave Source");
  EXPECT_EQ(e.GetDescription(), "Can make different widths of wave ");
  EXPECT_EQ(e.GetHandleColour(), (TPixelColor{15, 73, 5}));
  e.ActiveTool = true;
  EXPECT_EQ(e.GetHandleColour(), (TPixelColor{50, 200, 5}));
  EXPECT_EQ(TGeneralExciter::BeamTypeName(0), "Point Source");
  EXPECT_EQ(TGeneralExciter::BeamTypeName(1), "Beam Source");
  EXPECT_EQ(TGeneralExciter::BeamTypeName(2), "Line Source");
  EXPECT_EQ(TGeneralExciter::BeamTypeName(3), "Double Source");
  EXPECT_EQ(TGeneralExciter::BeamTypeName(4), "Doppler Source");

  const auto& props = TGeneralExciter::StaticClass().Properties();
  const char* names[] = {"UniqueID", "Snap_to_Grid", "ActiveTool", "Wavelength", "Phase",     "ON",
                         "OneShot",  "Detune",       "Phase2",     "Phase3",     "BeamType",  "DopplerSpeed",
                         "Harmonics", "UseFreq",     "X1Percent",  "Y1Percent",  "X2Percent", "Y2Percent"};
  ASSERT_EQ(props.size(), std::size(names));
  for (size_t i = 0; i < props.size(); ++i) EXPECT_EQ(props[i].Name, names[i]);
  EXPECT_EQ(props[10].Default, 1);
  e.X1 = 200;
  EXPECT_EQ(std::stof(GetPublishedValue(e, "X1Percent")), 50.0f) << "the live cell, not the stored 10 %";
}

TEST(GeneralExciterSetup, ShapeKindsAndUnknownTypes) {
  const TScene s = Scene(btPoint);
  const uint8_t kinds[] = {1, 4, 7, 2, 1};
  for (int32_t t = 0; t < 5; ++t) {
    s.E->SetBeamType(t);
    EXPECT_EQ(s.E->GetShapeKind(), kinds[t]) << t;
  }
  // By name an unknown type is refused; set in code it shows no handles and becomes a beam at
  // the next step, writing nothing then.
  EXPECT_THROW(SetPublishedValue(*s.E, "BeamType", "9"), EConvertError);
  EXPECT_EQ(s.E->BeamType, btPoint + 4);
  s.E->SetBeamType(9);
  EXPECT_EQ(s.E->BeamType, 9);
  EXPECT_EQ(s.E->GetShapeKind(), 0);
  EXPECT_EQ(PaintOf(*s.E, 401, 401).Count, 0);
  s.E->Step();
  EXPECT_EQ(s.E->BeamType, 1);
  for (int32_t y = 0; y < 401; ++y) ASSERT_EQ(s(40, y).Displacement, 0.0f) << y;
  s.E->Step();
  EXPECT_NE(s(40, 200).Displacement, 0.0f);
  // Even with no grid the type is put right.
  const TRef<TGeneralExciter> loose = NewNode<TGeneralExciter>();
  loose->SetBeamType(-1);
  loose->Step();
  EXPECT_EQ(loose->BeamType, 1);
}

TEST(GeneralExciterBeam, WritesRows111To289AndDrawsItsArrowFrom122To278) {
  const TScene s = Scene(btBeam);
  for (int32_t y = 0; y < 401; ++y) s(40, y) = TWaterCell{9, 7, 0.5f, 0.999f};
  s.E->Step();
  const float signal = s.E->GetSignal1();
  ASSERT_NE(signal, 0.0f);
  for (int32_t y = 0; y < 401; ++y) {
    if (y >= 111 && y <= 289) {
      EXPECT_EQ(s(40, y).Displacement, BeamValue(signal, std::abs(y - 200))) << y;
      EXPECT_EQ(s(40, y).Velocity, 0.0f) << y;
    } else {
      EXPECT_EQ(s(40, y).Displacement, 9.0f) << y;
      EXPECT_EQ(s(40, y).Velocity, 7.0f) << y;
    }
  }
  EXPECT_EQ(s(41, 200).Displacement, 0.0f);
  const TPainted p = PaintOf(*s.E, 401, 401);
  EXPECT_EQ(p.Bottom, 122);
  EXPECT_EQ(p.Top, 278);
  EXPECT_GE(p.Left, 37);
  EXPECT_LE(p.Right, 43);
  EXPECT_EQ(s.E->X3, 40) << "painting pins the beam to its column";
}

TEST(GeneralExciterBeam, NearTheBottomRowZeroIsSkipped) {
  const TScene s = Scene(btBeam);
  s.E->Y3 = 50;
  for (int32_t y = 0; y < 401; ++y) s(40, y).Displacement = 9;
  s.E->Step();
  EXPECT_EQ(s(40, 0).Displacement, 9.0f);
  for (int32_t y = 1; y <= 139; ++y) EXPECT_EQ(s(40, y).Displacement, BeamValue(s.E->GetSignal1(), std::abs(y - 50))) << y;
  EXPECT_EQ(s(40, 140).Displacement, 9.0f);
  const TPainted p = PaintOf(*s.E, 401, 401);
  EXPECT_EQ(p.Bottom, 1);
  EXPECT_EQ(p.Top, 128);
  // Near the top, row H - 1 is skipped likewise.
  s.E->Y3 = 380;
  s.E->Step();
  EXPECT_EQ(s(40, 400).Displacement, 9.0f);
  EXPECT_EQ(s(40, 399).Displacement, BeamValue(s.E->GetSignal1(), 19));
  EXPECT_EQ(PaintOf(*s.E, 401, 401).Top, 400);
}

TEST(GeneralExciterBeam, LowTanksAreDrivenButNotDrawn) {
  const TScene low = Scene(btBeam, 401, 150);
  low.E->Step();
  EXPECT_NE(low(40, low.E->Y3).Displacement, 0.0f);
  EXPECT_EQ(PaintOf(*low.E, 401, 150).Count, 0);
  const TScene tall = Scene(btBeam, 401, 151);
  EXPECT_GT(PaintOf(*tall.E, 401, 151).Count, 0);
}

TEST(GeneralExciterBeam, MovesOnlyUpAndDownByItsLine) {
  const TScene s = Scene(btBeam);
  bool handled = false;
  s.E->MouseDown(mbLeft, 0, 41, 400 - 250, handled);
  ASSERT_TRUE(handled);
  EXPECT_TRUE(s.E->HoldsBody());
  EXPECT_TRUE(s.E->ActiveTool);
  s.E->MouseMove(0, 61, 400 - 260);
  EXPECT_EQ(s.E->X3, 40);
  EXPECT_EQ(s.E->Y3, 210);
  s.E->MouseUp(mbLeft, 0, 0, 0);
  s.E->MouseDown(mbLeft, 0, 47, 400 - 210, handled);  // 7 cells off the line
  EXPECT_FALSE(handled);
  s.E->MouseDown(mbLeft, 0, 40, 400 - 305, handled);  // beyond the line's end and its box
  EXPECT_FALSE(handled);
  s.E->SetBeamType(btPoint);
  EXPECT_FALSE(s.E->HitTestBody(40, 210)) << "only the beam has a body";
}

TEST(GeneralExciterWriters, PointLineAndDouble) {
  const TScene s = Scene(btPoint);
  s(44, 200).Velocity = 3;
  s.E->Step();
  EXPECT_EQ(s(44, 200).Displacement, static_cast<float>(6 * double(s.E->GetSignal1())));
  EXPECT_EQ(s(44, 200).Velocity, 0.0f);

  const TScene line = Scene(btLine);
  for (int32_t y = 0; y < 401; ++y) line(40, y) = TWaterCell{0.25f, 0.5f, 0.5f, 0.999f};
  line.E->Step();
  for (int32_t y = 0; y < 401; ++y) {
    EXPECT_EQ(line(40, y).Displacement, static_cast<float>(0.25 + 1.5 * double(line.E->GetSignal1()))) << y;
    EXPECT_EQ(line(40, y).Velocity, 0.5f) << y;
  }
  EXPECT_EQ(PaintOf(*line.E, 401, 401).Count, 0);

  const TScene pair = Scene(btDouble);
  pair.E->Detune = 1.5f;
  pair(44, 200).Velocity = 3;
  pair(356, 200).Velocity = 3;
  pair.E->Step();
  EXPECT_EQ(pair(44, 200).Displacement, static_cast<float>(4 * double(pair.E->GetSignal1())));
  EXPECT_EQ(pair(356, 200).Displacement, static_cast<float>(4 * double(pair.E->GetSignal2())));
  EXPECT_NE(pair.E->GetSignal1(), pair.E->GetSignal2());
  EXPECT_EQ(pair(44, 200).Velocity, 3.0f);
  EXPECT_EQ(pair(356, 200).Velocity, 3.0f);
}

TEST(GeneralExciterWriters, HandlesOffTheGridWriteNothing) {
  const TScene s = Scene(btDouble);
  SetPublishedValue(*s.E, "X1Percent", "1000");
  SetPublishedValue(*s.E, "Y2Percent", "-4e30");
  EXPECT_EQ(s.E->X1Percent, 200.0f) << "taken to within a tank's width";
  EXPECT_EQ(s.E->Y2Percent, -100.0f);
  EXPECT_GT(s.E->X1, 401);
  EXPECT_LT(s.E->Y2, 0);
  for (int i = 0; i < 3; ++i) s.E->Step();
  s.E->SetBeamType(btPoint);
  s.E->Step();
  s.E->SetBeamType(btDoppler);
  for (int i = 0; i < 3; ++i) s.E->Step();
  for (int32_t x = 0; x < 401; ++x)
    for (int32_t y = 0; y < 401; ++y) {
      ASSERT_EQ(s(x, y).Displacement, 0.0f) << x << "," << y;
      ASSERT_EQ(s(x, y).Velocity, 0.0f) << x << "," << y;
    }
}

TEST(GeneralExciterWriters, HarmonicsChangeOnlyTheDopplerSource) {
  for (const int32_t type : {btPoint, btBeam, btDouble}) {
    const TScene plain = Scene(type), mixed = Scene(type);
    mixed.E->Harmonics = true;
    for (int i = 0; i < 20; ++i) {
      plain.E->Step();
      mixed.E->Step();
    }
    for (const auto& [x, y] : {std::pair{44, 200}, std::pair{40, 230}, std::pair{356, 200}})
      EXPECT_EQ(plain(x, y).Displacement, mixed(x, y).Displacement) << type;
  }
  const TScene plain = Scene(btDoppler), mixed = Scene(btDoppler);
  mixed.E->Harmonics = true;
  plain.E->Step();
  mixed.E->Step();
  EXPECT_EQ(plain(44, 200).Velocity, plain.E->GetSignal1());
  EXPECT_EQ(mixed(44, 200).Velocity, mixed.E->GetHarmonicSignal());
}

TEST(GeneralExciterDoppler, RunsFromTheLeftAndStopsExactlyOnTheTarget) {
  const TScene s = Scene(btPoint);
  s.E->SetX1Percent(30);
  s.E->SetBeamType(btDoppler);
  EXPECT_EQ(s.E->DopplerX, static_cast<float>(s.E->X1)) << "type 4 starts on its target";
  s.E->ResetDoppler();
  EXPECT_EQ(s.E->X1, 376);
  EXPECT_EQ(s.E->Y1, 200);
  EXPECT_EQ(s.E->DopplerX, 24.0f);
  EXPECT_EQ(s.E->DopplerY, 200.0f);
  s.E->Step();
  EXPECT_NEAR(s.E->DopplerX - 24.0f, 0.42426, 1e-5);
  EXPECT_EQ(s.E->DopplerY, 200.0f);
  int steps = 1;
  while (s.E->DopplerX != 376.0f && steps < 2000) {
    s.E->Step();
    ++steps;
  }
  EXPECT_NEAR(steps, 830, 2);
  for (int i = 0; i < 10; ++i) s.E->Step();
  EXPECT_EQ(s.E->DopplerX, 376.0f);
  EXPECT_EQ(s.E->DopplerY, 200.0f);
}

TEST(GeneralExciterDoppler, GaussianOnTwentyByTwentyCellsAroundTheSource) {
  const TScene s = Scene(btDoppler);
  s.E->ResetDoppler();
  s.E->Step();
  const float fx = s.E->DopplerX, fy = s.E->DopplerY;
  const int32_t px = static_cast<int32_t>(fx), py = static_cast<int32_t>(fy);
  ASSERT_EQ(px, 24);
  for (int32_t x = px - 12; x <= px + 12; ++x)
    for (int32_t y = py - 12; y <= py + 12; ++y) {
      const bool inside = x >= px - 10 && x <= px + 9 && y >= py - 10 && y <= py + 9;
      if (!inside) {
        EXPECT_EQ(s(x, y).Velocity, 0.0f) << x << "," << y;
        continue;
      }
      const double rx = x - double(fx), ry = y - double(fy);
      const auto r = static_cast<float>(std::sqrt(rx * rx + ry * ry));
      EXPECT_EQ(s(x, y).Velocity, static_cast<float>(s.E->GetSignal1() * std::exp(-(double(r) * r) / 2))) << x << "," << y;
    }
  // Next to the edge only cells at least one cell in are touched.
  const TScene edge = Scene(btDoppler);
  edge.E->SetX1Percent(0);
  edge.E->SetY1Percent(0);
  edge.E->DopplerX = 3;
  edge.E->DopplerY = 3;
  edge.E->Step();
  for (int32_t i = 0; i < 20; ++i) {
    EXPECT_EQ(edge(0, i).Velocity, 0.0f);
    EXPECT_EQ(edge(i, 0).Velocity, 0.0f);
  }
  EXPECT_NE(edge(1, 1).Velocity, 0.0f);
}

TEST(GeneralExciterDoppler, SwitchedOffItCoastsWhileFadingThenStops) {
  const TScene s = Scene(btDoppler);
  s.E->ResetDoppler();
  for (int i = 0; i < 100; ++i) s.E->Step();
  s.E->SetON(false);
  float x = s.E->DopplerX;
  int moving = 0;
  while (s.E->ON) {
    s.E->Step();
    EXPECT_GT(s.E->DopplerX, x);
    x = s.E->DopplerX;
    ++moving;
  }
  EXPECT_NEAR(moving, 26, 1);
  for (int i = 0; i < 5; ++i) s.E->Step();
  EXPECT_EQ(s.E->DopplerX, x);
  s.E->SetON(true);
  s.E->Step();
  EXPECT_GT(s.E->DopplerX, x);
}

TEST(GeneralExciterDouble, OffAndOnResetsPhaseButNotPhase2) {
  const TScene s = Scene(btDouble);
  for (int i = 0; i < 30; ++i) s.E->Step();
  s.E->SetON(false);
  for (int i = 0; i < 5; ++i) s.E->Step();
  const float phase2 = s.E->Phase2;
  ASSERT_NE(phase2, 0.0f);
  s.E->SetON(true);
  EXPECT_EQ(s.E->Phase, 0.0f);
  EXPECT_EQ(s.E->Phase2, phase2);
}

TEST(GeneralExciterDouble, DragsOneSourceAtATimeNeverTheLine) {
  const TScene s = Scene(btDouble);
  bool handled = true;
  s.E->MouseDown(mbLeft, 0, 200, 400 - 202, handled);
  EXPECT_FALSE(handled);
  EXPECT_FALSE(s.E->HoldsBody());
  EXPECT_TRUE(s.E->ActiveTool) << "the selection stays";
  s.E->MouseDown(mbLeft, 0, 356, 400 - 200, handled);
  ASSERT_TRUE(handled);
  EXPECT_TRUE(s.E->HoldsHandle(2));
  s.E->MouseMove(0, 300, 400 - 100);
  EXPECT_EQ(s.E->X2, 300);
  EXPECT_EQ(s.E->Y2, 100);
  EXPECT_EQ(s.E->X1, 44);
}

TEST(GeneralExciterPaint, HandlesPerType) {
  const TPixelColor C{15, 73, 5};
  const TScene s = Scene(btPoint);
  {
    TFastDIB surface;
    surface.SetSize(401, 401, 24);
    TSurfaceDrawing sink(surface, 401);
    s.E->Draw(sink);
    EXPECT_EQ(surface.Rows24()[200][44], C);
  }
  s.E->SetBeamType(btDouble);
  {
    TFastDIB surface;
    surface.SetSize(401, 401, 24);
    TSurfaceDrawing sink(surface, 401);
    s.E->Draw(sink);
    EXPECT_EQ(surface.Rows24()[200][44], C);
    EXPECT_EQ(surface.Rows24()[200][356], C);
    EXPECT_EQ(surface.Rows24()[200][200], Black) << "no line between the two sources";
  }
  s.E->SetBeamType(btDoppler);
  s.E->DopplerX = 100.4f;
  s.E->DopplerY = 150.6f;
  {
    TFastDIB surface;
    surface.SetSize(401, 401, 24);
    TSurfaceDrawing sink(surface, 401);
    s.E->Draw(sink);
    const auto at = [&](int32_t x, int32_t y) { return surface.Rows24()[y][x]; };
    EXPECT_EQ(at(44, 200), C);
    // A 2 x 2 dot in the box (99, 248) .. (101, 250) of screen rows: grid rows 152 and 151.
    EXPECT_EQ(at(99, 151), C);
    EXPECT_EQ(at(100, 151), C);
    EXPECT_EQ(at(99, 152), C);
    EXPECT_EQ(at(100, 152), C);
    EXPECT_EQ(at(101, 151), Black);
    EXPECT_EQ(at(98, 151), Black);
    EXPECT_EQ(at(99, 150), Black);
    EXPECT_EQ(at(99, 153), Black);
  }
}

// The signals of every step against a plain computation in double from the stored phases and
// envelope: sines of the phases widened to double, products with the gain in double, one
// rounding to single at the store. Single-precision sines drift by a unit in the last place.
TEST(GeneralExciterSignals, EveryStepIsTheDoubleComputation) {
  struct TState {
    bool Runs, RampingUp, RampingDown;
  };
  const float wavelengths[] = {25, 6, 13.7f, 40, 9};
  for (int32_t type = btPoint; type <= btDoppler; ++type) {
    SCOPED_TRACE(TGeneralExciter::BeamTypeName(type));
    TScene s = Scene(type);
    TGeneralExciter& e = *s.E;
    e.SetWavelength(wavelengths[type]);
    e.Detune = 1.37f;
    int32_t checked = 0;
    for (int32_t step = 1; step <= 10000; ++step) {
      // Off and on again, then a burst: the fades take every branch of the gain.
      if (step == 3000) e.SetON(false);
      if (step == 3600) e.SetON(true);
      if (step == 6000) e.SetOneShot(true);
      if (step == 8000) e.SetOneShot(true);
      const TState before{e.ON || e.IsRampingDown(), e.IsRampingUp(), e.IsRampingDown()};
      e.Step();
      if (!before.Runs) continue;
      double gain = 1;
      if (before.RampingDown) {
        const double fall = 1.0 - double(e.GetEnvelope());
        gain = double(static_cast<float>(std::exp(-(fall * fall) / 0.25)));
      } else if (before.RampingUp) {
        const double rise = 1.0 - double(e.GetEnvelope());
        gain = double(static_cast<float>(std::exp(-0.5 * (rise * rise) / 0.25)));
      }
      const auto signal1 = static_cast<float>(std::sin(double(e.Phase)) * gain);
      const auto signal2 = static_cast<float>(std::sin(double(e.Phase2)) * gain);
      const auto harmonic = static_cast<float>(0.7 * double(signal1) - gain * std::sin(double(e.Phase3)) -
                                               1.2 * gain * std::sin(2.0 * double(e.Phase)));
      ASSERT_EQ(e.GetSignal1(), signal1) << "step " << step;
      ASSERT_EQ(e.GetSignal2(), signal2) << "step " << step;
      ASSERT_EQ(e.GetHarmonicSignal(), harmonic) << "step " << step;
      ++checked;
    }
    EXPECT_GT(checked, 5000);  // the source is silent between its fades
  }
}

// Every kind of source is one row, found by its BeamType number: the rows name distinct kinds,
// drive the water, and a number past the last row is refused with the rows' range.
TEST(GeneralExciterKinds, EveryRowIsAKindFoundByItsNumber) {
  const int32_t count = TGeneralExciter::BeamTypeCount();
  ASSERT_EQ(count, btDoppler + 1);
  std::set<std::string> names;
  for (int32_t type = 0; type < count; ++type) {
    const TSourceKind* kind = TGeneralExciter::Kind(type);
    ASSERT_NE(kind, nullptr);
    const std::string name = TGeneralExciter::BeamTypeName(type);
    EXPECT_EQ(name, TextOf(kind->NameKey));
    EXPECT_TRUE(names.insert(name).second) << name;
    ASSERT_NE(kind->Drive, nullptr);
    ASSERT_NE(kind->Draw, nullptr);
    // A running source of each kind puts waves into still water.
    TScene s = Scene(type);
    ResetMedium(*s.Grid);
    for (int32_t step = 0; step < 200; ++step) s.E->Step();
    double energy = 0;
    for (int32_t x = 0; x < 401; ++x)
      for (int32_t y = 0; y < 401; ++y) energy += std::abs(double((*s.Grid)[x][y].Velocity)) + std::abs(double((*s.Grid)[x][y].Displacement));
    EXPECT_GT(energy, 0) << name;
  }
  EXPECT_EQ(TGeneralExciter::Kind(count), nullptr);
  EXPECT_EQ(TGeneralExciter::Kind(-1), nullptr);
  EXPECT_EQ(TGeneralExciter::BeamTypeName(count), "");
  const TScene point = Scene(btPoint);
  try {
    SetPublishedValue(*point.E, "BeamType", std::to_string(count));
    FAIL() << "a number past the last kind was taken";
  } catch (const std::exception& error) {
    EXPECT_NE(std::string(error.what()).find("0 to " + std::to_string(count - 1)), std::string::npos) << error.what();
  }
}
