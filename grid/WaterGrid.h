// grid/: the cell grid and its medium, with the rounding and maths rules of every stored value.
// The cells of a water: the grid that the scene steps and every tank object shares.
#pragma once

#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

#include "grid/HugePageAllocator.h"

namespace plashbox {

// The four values of one cell, as a record: what a cell holds, whatever the grid's layout.
struct TWaterCell {
  float Displacement;  // surface height, kept within -3.5 .. 3.5 by the step
  float Velocity;      // change of Displacement per step
  float SpeedFactor;   // squared wave speed in cells per step
  float Damping;       // factor applied to the displacement every step
};
static_assert(sizeof(TWaterCell) == 16, "a cell is four packed singles");

inline constexpr float OpenWaterSpeedFactor = 0.5f;

// A wall: no wave moves through it (speed factor 0). The step leaves a cell at rest there, and
// the sources and drips never write into one, so it stays a fixed edge that reflects.
inline bool IsWall(const TWaterCell& Cell) { return Cell.SpeedFactor == 0; }
inline constexpr float OpenWaterDamping = 0.999f;

// One cell of the grid: its four values where the grid keeps them. It reads as a TWaterCell,
// and one whose values are all writable takes a TWaterCell or another cell's values. The wave
// (displacement and velocity) and the medium (speed factor and damping) may differ in whether
// they can be written.
template <class Wave, class Medium = Wave>
struct TCellRefOf {
  Wave& Displacement;
  Wave& Velocity;
  Medium& SpeedFactor;
  Medium& Damping;

  operator TWaterCell() const { return TWaterCell{Displacement, Velocity, SpeedFactor, Damping}; }
  const TCellRefOf& operator=(const TWaterCell& Cell) const
    requires(!std::is_const_v<Wave> && !std::is_const_v<Medium>)
  {
    Displacement = Cell.Displacement;
    Velocity = Cell.Velocity;
    SpeedFactor = Cell.SpeedFactor;
    Damping = Cell.Damping;
    return *this;
  }
  const TCellRefOf& operator=(const TCellRefOf& Cell) const
    requires(!std::is_const_v<Wave> && !std::is_const_v<Medium>)
  {
    return *this = TWaterCell(Cell);
  }
};
using TCellRef = TCellRefOf<float>;                    // every value writable
using TWaveCellRef = TCellRefOf<float, const float>;   // the wave writable, the medium read only
using TConstCellRef = TCellRefOf<const float>;

// One column of the grid: each of the four values of its cells is an array of its own, index y,
// so that a vector reads eight rows of one value with one load.
template <class Wave, class Medium = Wave>
struct TColumnOf {
  Wave* Displacement;
  Wave* Velocity;
  Medium* SpeedFactor;
  Medium* Damping;

  // Where the column shares the grid's medium, the same values widened to doubles (exactly), for
  // the kernels that would widen them anyway; nil where the column has a medium of its own.
  const double* WideSpeedFactor = nullptr;
  const double* WideDamping = nullptr;

  TColumnOf() = default;
  TColumnOf(Wave* D, Wave* V, Medium* S, Medium* M, const double* WideS = nullptr, const double* WideM = nullptr)
      : Displacement(D), Velocity(V), SpeedFactor(S), Damping(M), WideSpeedFactor(WideS), WideDamping(WideM) {}
  // A column can always be read where it can be written.
  template <class OtherWave, class OtherMedium>
    requires(std::is_convertible_v<OtherWave*, Wave*> && std::is_convertible_v<OtherMedium*, Medium*> &&
             !(std::is_same_v<OtherWave, Wave> && std::is_same_v<OtherMedium, Medium>))
  TColumnOf(const TColumnOf<OtherWave, OtherMedium>& C)
      : TColumnOf(C.Displacement, C.Velocity, C.SpeedFactor, C.Damping, C.WideSpeedFactor, C.WideDamping) {}

  TCellRefOf<Wave, Medium> operator[](int32_t y) const {
    return {Displacement[y], Velocity[y], SpeedFactor[y], Damping[y]};
  }
};
using TWaterColumn = TColumnOf<float>;                   // every value writable
using TWaveColumn = TColumnOf<float, const float>;      // the wave writable, the medium read only
using TConstWaterColumn = TColumnOf<const float>;

// Cells[x][y]: Width columns of Height cells, y = 0 at the bottom. All columns share one block
// of memory. Within a column the four arrays lie a whole number of cache lines apart, placed so
// that row 1, the first row the step moves, starts a cache line.
//
// Most columns of a tank have the same medium: open water, with the border's damping at the
// top and the bottom. Such columns may share one pair of medium arrays, so that a step reads
// 8 bytes a cell from memory instead of 16. Only Writable(x) hands out a column's medium for
// writing, and it gives the column its own copy first: a write never reaches another column.
class TWaterGrid {
 public:
  TWaterGrid(int32_t Width, int32_t Height);

  int32_t Width() const { return Columns; }
  int32_t Height() const { return Rows; }

  // The column whose wave the step and the sources write; its medium is read only.
  TWaveColumn operator[](int32_t X) { return ColumnAt(Values.data(), X); }
  TConstWaterColumn operator[](int32_t X) const { return ColumnAt(Values.data(), X); }
  // The column with its medium writable too, its own from now on.
  TWaterColumn Writable(int32_t X);

  // The medium that columns share (Height values each): it changes the medium of every column
  // that shares it.
  void SetSharedMedium(const float* SpeedFactor, const float* Damping);
  // Column X reads the shared medium from now on; what it had of its own is dropped.
  void ShareMedium(int32_t X) { Sharing[size_t(X)] = 1; }
  bool SharesMedium(int32_t X) const { return Sharing[size_t(X)] != 0; }

 private:
  template <class Value>
  TColumnOf<Value> ColumnAt(Value* Base, int32_t X) const {
    Value* d = Base + Origin + size_t(X) * 4 * size_t(Plane);
    if (!Sharing[size_t(X)]) return {d, d + Plane, d + 2 * size_t(Plane), d + 3 * size_t(Plane)};
    Value* medium = Base + SharedOrigin();
    return {d, d + Plane, medium, medium + Plane, SharedWide.data(), SharedWide.data() + Plane};
  }
  size_t SharedOrigin() const { return Origin + size_t(Columns) * 4 * size_t(Plane); }

  std::vector<float, THugePageAllocator<float>> Values;  // the columns, then the shared medium
  std::vector<double> SharedWide;  // the shared speed factors, then its damping, as doubles
  std::vector<uint8_t> Sharing;  // per column: whether it reads the shared medium
  int32_t Columns, Rows;
  int32_t Plane;   // floats from one value's array to the next
  size_t Origin;   // where column 0's displacements start in Values
};

// Grid rows count upward from the bottom; the paint area's and the surface's screen rows count
// downward from the top. Both ways are the same flip on a grid of height H.
inline int32_t GridRow(int32_t H, int32_t ScreenY) { return H - 1 - ScreenY; }
inline int32_t ScreenRow(int32_t H, int32_t y) { return H - 1 - y; }

// Shared by the water and its objects; a rebuild replaces it and hands the new one out.
using TCellsRef = std::shared_ptr<TWaterGrid>;

// Width of the absorbing border: the larger of a tenth of the shorter side and 40 cells.
int32_t AbsorbingBorderWidth(int32_t W, int32_t H);

// Open water everywhere (SpeedFactor 0.5, Damping 0.999) with the absorbing border ramp;
// displacements and velocities are left alone. The grid build and the objects' medium reset
// both use it, so the two borders cannot drift apart. The columns away from the left and right
// borders share their medium again.
void ResetMedium(TWaterGrid& Cells);

// Whether two grids have the same size and the same bits in every cell.
bool SameCells(const TWaterGrid& A, const TWaterGrid& B);

}  // namespace plashbox
