#include "grid/WaterGrid.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "grid/ExactMath.h"
#include "grid/Rounding.h"

namespace plashbox {

namespace {

constexpr size_t LineFloats = 64 / sizeof(float);

}  // namespace

TWaterGrid::TWaterGrid(int32_t Width, int32_t Height)
    : Columns(std::max(Width, 0)),
      Rows(std::max(Height, 0)),
      Plane(int32_t((size_t(Rows) + LineFloats - 1) / LineFloats * LineFloats)),
      Origin(0) {
  Sharing.assign(size_t(Columns), 0);
  if (Columns == 0 || Rows == 0) return;
  Values.assign((size_t(Columns) * 4 + 2) * size_t(Plane) + LineFloats, 0.0f);
  // Row 1 of every array on a cache line: the vector's block is only as aligned as the heap's.
  const auto row1 = reinterpret_cast<uintptr_t>(Values.data() + 1);
  Origin = (64 - row1 % 64) % 64 / sizeof(float);
  // Open water everywhere: every column shares it.
  SharedWide.resize(2 * size_t(Plane));
  const std::vector<float> speedFactor(size_t(Rows), OpenWaterSpeedFactor), damping(size_t(Rows), OpenWaterDamping);
  SetSharedMedium(speedFactor.data(), damping.data());
  std::fill(Sharing.begin(), Sharing.end(), 1);
}

void TWaterGrid::SetSharedMedium(const float* SpeedFactor, const float* Damping) {
  float* shared = Values.data() + SharedOrigin();
  std::copy_n(SpeedFactor, Rows, shared);
  std::copy_n(Damping, Rows, shared + Plane);
  for (int32_t y = 0; y < Rows; ++y) {
    SharedWide[size_t(y)] = double(SpeedFactor[y]);
    SharedWide[size_t(Plane) + size_t(y)] = double(Damping[y]);
  }
}

TWaterColumn TWaterGrid::Writable(int32_t X) {
  const bool shared = Sharing[size_t(X)] != 0;
  Sharing[size_t(X)] = 0;
  const TWaterColumn own = ColumnAt(Values.data(), X);
  if (shared) {
    const float* medium = Values.data() + SharedOrigin();
    std::copy_n(medium, Rows, own.SpeedFactor);
    std::copy_n(medium + Plane, Rows, own.Damping);
  }
  return own;
}

bool SameCells(const TWaterGrid& A, const TWaterGrid& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height()) return false;
  const size_t bytes = size_t(A.Height()) * sizeof(float);
  for (int32_t x = 0; x < A.Width(); ++x) {
    const TConstWaterColumn a = A[x], b = B[x];
    if (std::memcmp(a.Displacement, b.Displacement, bytes) != 0 || std::memcmp(a.Velocity, b.Velocity, bytes) != 0 ||
        std::memcmp(a.SpeedFactor, b.SpeedFactor, bytes) != 0 || std::memcmp(a.Damping, b.Damping, bytes) != 0)
      return false;
  }
  return true;
}

int32_t AbsorbingBorderWidth(int32_t W, int32_t H) {
  return Round(std::max(std::min(W, H) * 0.1, 40.0));
}

namespace {

// The medium of column X: open water with the absorbing border. Ring i runs from the outside
// (i = 1, strongest damping) inwards, with damping RingDamping[i]. The far sides use W - i and
// H - i, so on the right and at the top the ramp reaches one cell further out, into the last
// column and row, which are never stepped. Column 0 and row 0 keep open-water damping. On a
// grid narrower than the border a ring's column or row may not exist; it is skipped.
void WriteBorderMedium(float* SpeedFactor, float* Damping, int32_t X, int32_t W, int32_t H,
                       const std::vector<float>& RingDamping) {
  std::fill_n(SpeedFactor, H, OpenWaterSpeedFactor);
  std::fill_n(Damping, H, OpenWaterDamping);
  for (int32_t i = 1; i < int32_t(RingDamping.size()); ++i) {
    const float d = RingDamping[size_t(i)];
    if (X == i || X == W - i)
      for (int32_t y = i; y <= H - 1 - i; ++y) Damping[y] = d;
    if (i <= X && X <= W - 1 - i)
      for (const int32_t y : {i, H - i})
        if (y >= 0 && y < H) Damping[y] = d;
  }
}

}  // namespace

void ResetMedium(TWaterGrid& Cells) {
  const int32_t W = Cells.Width();
  const int32_t H = Cells.Height();
  const int32_t N = AbsorbingBorderWidth(W, H);
  std::vector<float> ringDamping(size_t(std::max(N, 1)));
  for (int32_t i = 1; i < N; ++i) {
    const double ramp = 0.015 * (N - i);
    ringDamping[size_t(i)] = static_cast<float>(0.999 * exact::Exp(-(ramp * ramp)));
  }
  // The columns N .. W - N meet the rings only at their ends, the same in each: they share it.
  if (N <= W - N) {
    std::vector<float> speedFactor(static_cast<size_t>(H)), damping(static_cast<size_t>(H));
    WriteBorderMedium(speedFactor.data(), damping.data(), N, W, H, ringDamping);
    Cells.SetSharedMedium(speedFactor.data(), damping.data());
  }
  for (int32_t x = 0; x < W; ++x) {
    if (N <= x && x <= W - N) {
      Cells.ShareMedium(x);
    } else {
      const TWaterColumn own = Cells.Writable(x);
      WriteBorderMedium(own.SpeedFactor, own.Damping, x, W, H, ringDamping);
    }
  }
}

}  // namespace plashbox
