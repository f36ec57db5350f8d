// The sweep shared among threads and coloured in bands: every layout and every kernel variant
// gives the cells and the picture of the literal two passes.
#include <gtest/gtest.h>

#include "tests/sim/ReferenceStep.h"

#include <cmath>
#include <atomic>
#include <cstring>
#include <deque>
#include <vector>

#include "objects/uGeneralExciter.h"
#include "sim/WaterStepKernels.h"
#include "sim/WaterSweep.h"
#include "sim/WorkerPool.h"
#include "sim/uWater.h"

using namespace plashbox;

namespace {

void Waves(TWaterGrid& c) {
  // The shared medium varies by row, so that the kernels that read it as doubles read the rows
  // they step: runs of open water, whole blocks of a vector and parts of one, beside slower water.
  const auto speedFactor = [](int32_t x, int32_t y) {
    return (x + y / 5) % 3 == 0 ? OpenWaterSpeedFactor : 0.05f + 0.06f * float((x * 5 + y * 3) % 9);
  };
  const auto damping = [](int32_t x, int32_t y) { return 0.95f + 0.005f * float((x + y) % 10); };
  std::vector<float> sharedSpeedFactor, sharedDamping;
  for (int32_t y = 0; y < c.Height(); ++y) {
    sharedSpeedFactor.push_back(speedFactor(1, y));
    sharedDamping.push_back(damping(1, y));
  }
  c.SetSharedMedium(sharedSpeedFactor.data(), sharedDamping.data());
  for (int32_t x = 0; x < c.Width(); ++x)
    for (int32_t y = 0; y < c.Height(); ++y) {
      c[x][y].Displacement = float(std::sin(x * 1.3 + y * 0.7) * 4.5);  // some beyond the clamp
      c[x][y].Velocity = float(std::cos(x * 0.4 - y * 0.9) * 0.3);
      // Runs of five columns keep the medium they share, beside columns of their own.
      if ((x / 5) % 2 == 0) continue;
      const TCellRef cell = c.Writable(x)[y];
      cell.SpeedFactor = speedFactor(x, y);
      cell.Damping = damping(x, y);
    }
}

std::vector<TPixelColor> PictureOf(const TFastDIB& s) {
  std::vector<TPixelColor> p;
  for (int32_t y = 0; y < s.AbsHeight(); ++y) p.insert(p.end(), s.Rows24()[y], s.Rows24()[y] + s.Width());
  return p;
}

const detail::TSweepLayout Layouts[] = {{1, 1}, {1, 3}, {1, 32}, {2, 1}, {2, 5}, {3, 16}, {4, 2}, {4, 64}, {7, 32}};

}  // namespace

TEST(Sweep, EveryKernelAndLayoutMatchesTheTwoPassesOnOddSizes) {
  SharedWorkerPool().Reserve(6);
  std::vector<std::pair<int32_t, int32_t>> sizes{{1025, 3}, {3, 1025}, {17, 40}};
  for (int32_t W = 1; W <= 37; W += 4)
    for (int32_t H = 1; H <= 23; H += 2) sizes.emplace_back(W, H);
  const detail::TColouring paint = detail::MakeColouring(2.55f);
  for (const auto& [W, H] : sizes) {
    TWaterGrid expected(W, H);
    Waves(expected);
    std::vector<TPixelColor> expectedPicture(size_t(W) * H, TPixelColor{1, 2, 3});
    std::vector<TWaterGrid> grids;
    std::vector<TFastDIB> pictures(std::size(Layouts) * detail::AvailableStepKernels().size());
    for (size_t i = 0; i < pictures.size(); ++i) {
      grids.push_back(expected);
      pictures[i].SetSize(W, H, 24);
      for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) pictures[i].Rows24()[y][x] = TPixelColor{1, 2, 3};
    }
    detail::TWaterSweep sweep;  // one sweep for every layout: its buffers are reused
    for (int step = 0; step < 3; ++step) {
      tests::ReferenceStep(expected, &expectedPicture, &paint);
      size_t i = 0;
      for (const detail::TStepKernels* k : detail::AvailableStepKernels())
        for (const detail::TSweepLayout& layout : Layouts) {
          sweep.Step(grids[i], &paint, pictures[i].Rows24(), layout, *k);
          ASSERT_TRUE(SameCells(grids[i], expected)) << k->Name << " " << W << "x" << H << " threads "
                                                     << layout.Threads << " band " << layout.BandColumns;
          ASSERT_EQ(PictureOf(pictures[i]), expectedPicture) << k->Name << " " << W << "x" << H << " threads "
                                                             << layout.Threads << " band " << layout.BandColumns;
          ++i;
        }
    }
  }
}

// A picture whose rows start on cache lines, as streaming needs, with a margin of marked bytes
// after every row that no store may reach.
struct TLinedPicture {
  static constexpr size_t Pitch(int32_t W) { return (size_t(W) * 3 + 64 + 63) / 64 * 64; }
  TLinedPicture(int32_t W, int32_t H) : Width(W), Bytes(Pitch(W) * size_t(H) + 64, 0x5A) {
    auto* first = reinterpret_cast<uint8_t*>((reinterpret_cast<uintptr_t>(Bytes.data()) + 63) / 64 * 64);
    for (int32_t y = 0; y < H; ++y) Rows.push_back(reinterpret_cast<TPixelColor*>(first + Pitch(W) * size_t(y)));
  }
  TLinedPicture(const TLinedPicture&) = delete;  // the rows point into its own bytes
  std::vector<TPixelColor> Picture() const {
    std::vector<TPixelColor> p;
    for (TPixelColor* row : Rows) p.insert(p.end(), row, row + Width);
    return p;
  }
  bool MarginsUntouched() const {
    for (TPixelColor* row : Rows) {
      const auto* margin = reinterpret_cast<const uint8_t*>(row + Width);
      for (size_t i = 0; i < Pitch(Width) - size_t(Width) * 3; ++i)
        if (margin[i] != 0x5A) return false;
    }
    return true;
  }
  int32_t Width;
  std::vector<uint8_t> Bytes;
  std::vector<TPixelColor*> Rows;
};

// Streamed bands go in pairs of whole cache lines from strips cut to meet them; narrow strips,
// strips cut anywhere and a last band without its second must still give every pixel once.
TEST(Sweep, StreamedPicturesMatchTheTwoPasses) {
  SharedWorkerPool().Reserve(2);
  const detail::TColouring paint = detail::MakeColouring(2.55f);
  for (const auto& [W, H] : {std::pair{330, 37}, std::pair{258, 3}, std::pair{195, 20}, std::pair{140, 17}})
    for (const int32_t threads : {1, 2, 3}) {
      TWaterGrid expected(W, H);
      Waves(expected);
      std::vector<TPixelColor> expectedPicture(size_t(W) * H, TPixelColor{0x5A, 0x5A, 0x5A});
      std::vector<std::pair<const detail::TStepKernels*, TWaterGrid>> runs;
      for (const detail::TStepKernels* k : detail::AvailableStepKernels()) runs.emplace_back(k, expected);
      std::deque<TLinedPicture> pictures;
      for (size_t i = 0; i < runs.size(); ++i) pictures.emplace_back(W, H);
      detail::TWaterSweep sweep;
      const detail::TSweepLayout layout{threads, 7, detail::TPictureStores::Streamed};
      for (int step = 0; step < 2; ++step) {
        tests::ReferenceStep(expected, &expectedPicture, &paint);
        for (size_t i = 0; i < runs.size(); ++i) {
          sweep.Step(runs[i].second, &paint, pictures[i].Rows.data(), layout, *runs[i].first);
          const char* name = runs[i].first->Name;
          ASSERT_TRUE(SameCells(runs[i].second, expected)) << name << " " << W << "x" << H << " threads " << threads;
          ASSERT_EQ(pictures[i].Picture(), expectedPicture) << name << " " << W << "x" << H << " threads " << threads;
          ASSERT_TRUE(pictures[i].MarginsUntouched()) << name << " " << W << "x" << H << " threads " << threads;
        }
      }
    }
}

// A streamed band and its second write what WriteBand writes; so does a first band whose kept
// part is written out when no second follows.
TEST(Sweep, StreamedBandsWriteWhatTheBandHolds) {
  // Band columns padded past their last row to a whole block of sixteen more, as the sweep pads them.
  const int32_t W = 200, H = 37, Stride = 64, X = 2 * detail::StreamColumns;
  std::vector<uint32_t> band(size_t(2 * detail::StreamColumns) * Stride);
  for (size_t i = 0; i < band.size(); ++i) band[i] = uint32_t(i * 2654435761u) & 0xFFFFFF;
  std::vector<uint32_t> carry(size_t(H) * detail::CarryValues);
  const detail::TStepKernels& plain = *detail::AvailableStepKernels().front();
  for (const detail::TStepKernels* k : detail::AvailableStepKernels()) {
    if (!k->StreamBand) continue;
    for (const bool second : {true, false}) {
      TLinedPicture expected(W, H), streamed(W, H);
      const int32_t columns = second ? 2 * detail::StreamColumns : detail::StreamColumns;
      plain.WriteBand(band.data(), Stride, columns, H, expected.Rows.data(), X);
      k->StreamBand(band.data(), Stride, H, streamed.Rows.data(), X, carry.data());
      if (second)
        k->StreamBand(band.data() + size_t(detail::StreamColumns) * Stride, Stride, H, streamed.Rows.data(),
                      X + detail::StreamColumns, carry.data());
      else
        detail::WriteCarry(carry.data(), H, streamed.Rows.data(), X);
      EXPECT_EQ(streamed.Picture(), expected.Picture()) << k->Name << (second ? " two bands" : " one band");
      EXPECT_TRUE(streamed.MarginsUntouched()) << k->Name;
    }
  }
}

TEST(Sweep, ColouringAloneMatchesCellByCellOnEveryLayout) {
  const int32_t W = 37, H = 23;
  TWaterGrid c(W, H);
  Waves(c);
  const detail::TColouring paint = detail::MakeColouring(1.7f);
  for (const detail::TStepKernels* k : detail::AvailableStepKernels())
    for (const detail::TSweepLayout& layout : Layouts) {
      TFastDIB s;
      s.SetSize(W, H, 24);
      detail::TWaterSweep sweep;
      // Only the part that a smaller surface shares with the grid.
      sweep.Colour(c, W - 4, H - 3, paint, s.Rows24(), layout, *k);
      for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W; ++x) {
          const bool inside = x > 0 && y > 0 && x < W - 5 && y < H - 4;
          ASSERT_EQ(s.Rows24()[y][x], (inside ? detail::CellColour(c[x][y], paint) : TPixelColor{0, 0, 0}))
              << k->Name << " " << x << "," << y << " threads " << layout.Threads;
        }
    }
}

// The demonstration's ingredients: a beam, a drip that comes and goes, a turned block of slower
// water; every thread count and band width gives the same cells and frames at every tick.
TEST(Sweep, SceneIsTheSameForEveryThreadCount) {
  for (const auto& [W, H] : {std::pair{401, 401}, std::pair{203, 97}}) {
    std::vector<TRef<TWater>> waters;
    std::vector<TFastDIB> pictures(5);
    for (int32_t n = 1; n <= 5; ++n) {
      TRef<TWater> w = NewNode<TWater>();
      w->SetGridSize(W, H);
      const TRef<TGeneralExciter> source = NewNode<TGeneralExciter>();
      source->SetBeamType(btLine);
      w->add(source.get());
      w->SetThreads(n == 5 ? 3 : n);
      if (n == 5) w->SetBandColumns(7);
      pictures[size_t(n - 1)].SetSize(W, H, 24);
      waters.push_back(w);
    }
    for (int tick = 0; tick < 60; ++tick) {
      for (size_t i = 0; i < waters.size(); ++i) {
        TWater& w = *waters[i];
        TWaterGrid& c = *w.Cells();
        if (tick == 10) w.MouseDown(mbLeft, 0, W / 3, H / 2);  // a press on open water: nothing taken
        if (tick >= 10 && tick < 20) c[W / 3][H / 2].Displacement = 2.0f;  // a drip held
        if (tick == 20) w.MouseUp(mbLeft, 0, W / 3, H / 2);
        if (tick == 30)  // a turned block of slower water across the strips
          for (int32_t x = W / 4; x < 3 * W / 4; ++x)
            for (int32_t y = H / 3; y < 2 * H / 3; ++y)
              if (std::abs((x - W / 2) * 0.6 + (y - H / 2) * 0.8) < W / 8.0) c.Writable(x)[y].SpeedFactor = 0.21f;
        w.SimulateStep();
        w.StepAndRender(pictures[i]);
      }
      for (size_t i = 1; i < waters.size(); ++i) {
        ASSERT_TRUE(SameCells(*waters[i]->Cells(), *waters[0]->Cells())) << W << "x" << H << " tick " << tick << " #" << i;
        ASSERT_EQ(PictureOf(pictures[i]), PictureOf(pictures[0])) << W << "x" << H << " tick " << tick << " #" << i;
      }
    }
  }
}

TEST(WorkerPool, EveryPartRunsOnceWhateverTheWorkers) {
  TWorkerPool pool;
  for (const int32_t workers : {0, 1, 3}) {
    pool.Reserve(workers);
    for (const int32_t parts : {1, 2, 3, 4, 9}) {
      std::vector<std::atomic<int>> runs(static_cast<size_t>(parts));
      for (int round = 0; round < 200; ++round) {
        auto job = [&](int32_t part) { runs[size_t(part)].fetch_add(1); };
        pool.Run(parts, job);
      }
      for (int32_t p = 0; p < parts; ++p) ASSERT_EQ(runs[size_t(p)].load(), 200) << workers << " " << parts << " " << p;
    }
  }
  EXPECT_EQ(pool.Workers(), 3);
}
