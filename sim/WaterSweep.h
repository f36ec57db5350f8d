// sim/: the water scene with its step and picture, and the collection of scenes.
// The whole step of a grid in one sweep, shared among threads (internal to the water).
//
// The inner columns are cut into strips, one per thread. Each strip runs the kernels' fused
// column sweep on its own (the displacement of a column right after the velocity of the next),
// so the only values one strip needs of another are the displacements of the column on either
// side of it from before the step: a neighbour may already have moved them. Those two columns
// are copied aside before the threads start, and every strip reads its halo from the copies.
// The cells then come out the same whatever the number of strips.
//
// The picture is coloured a band of columns at a time into a small buffer of packed pixels and
// written out row by row, so that no column of a tall picture strides through every row; a
// big picture in bands cut to whole cache lines, stored past the caches.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "grid/WaterGrid.h"
#include "raster/FastDIB.h"
#include "sim/WaterStepKernels.h"

namespace plashbox::detail {

inline constexpr int32_t DefaultBandColumns = 32;
inline constexpr int32_t MaxBandColumns = 4096;

// What a picture may add to the plain step: the running mean of the squared heights, shown in
// place of the heights or only kept, and a table that recolours every pixel of the picture.
struct TSweepExtras {
  float* Intensity = nullptr;  // column x at Intensity + x x H; nil: no mean is kept
  double IntensityRate = 0;    // the new square's share of each step's mean
  bool ShowIntensity = false;  // the picture shows the mean (needs Intensity)
  const uint32_t* Table = nullptr;
};

// How the picture is stored. A picture that the caches cannot keep until the next step
// anyway goes past them in whole lines, which spares fetching every line before its store. A
// smaller one stays cached: the window's copy of the frame reads it right after the step.
enum class TPictureStores : uint8_t {
  BySize,    // streamed from StreamedPictureBytes on (with the grid, beyond a last-level cache), else cached
  Cached,    // the bands' own width, through the caches
  Streamed,  // bands of StreamColumns, past the caches, wherever the kernels and the rows allow
};
inline constexpr size_t StreamedPictureBytes = size_t{8} << 20;

// How one sweep is shared out; every layout gives the same cells and the same picture.
struct TSweepLayout {
  int32_t Threads = 1;
  int32_t BandColumns = DefaultBandColumns;  // when cached
  TPictureStores Stores = TPictureStores::BySize;
};

class TWaterSweep {
 public:
  // One step of every inner cell of Cells; with Paint, also the colours of the new heights in
  // rows 1 .. H-2, columns 1 .. W-2 of Rows (the picture of the grid's own size).
  void Step(TWaterGrid& Cells, const TColouring* Paint, TPixelColor* const* Rows, const TSweepLayout& Layout,
            const TStepKernels& Kernels, const TSweepExtras& Extras = {});
  // The colours of rows 1 .. H-2, columns 1 .. W-2 without a step; W and H at most the grid's.
  void Colour(const TWaterGrid& Cells, int32_t W, int32_t H, const TColouring& Paint, TPixelColor* const* Rows,
              const TSweepLayout& Layout, const TStepKernels& Kernels, const TSweepExtras& Extras = {});

 private:
  struct TStrip {
    int32_t From = 0, To = 0;  // inner columns From .. To-1
    std::vector<float> LeftHalo, RightHalo;  // displacements of the neighbours across the strip's edges
    std::vector<uint32_t> Band;
    std::vector<uint32_t> Carry;  // what the first of two streamed bands keeps for the second
  };
  // Sizes the strips for W x H; the buffers only ever grow, so a steady tank allocates nothing.
  void Prepare(int32_t W, int32_t H, const TSweepLayout& Layout, bool Halos, bool Bands, bool Streams);
  void StepStrip(TWaterGrid& Cells, int32_t Index, const TColouring* Paint, TPixelColor* const* Rows,
                 const TStepKernels& K, const TSweepExtras& E);
  // What follows a column's displacement pass: its mean, its intensity colours, the table.
  void FinishColumn(const TConstWaterColumn& Column, int32_t X, const TColouring* Paint, uint32_t* Pixels,
                    const TSweepExtras& E) const;
  void ColourStrip(const TWaterGrid& Cells, int32_t Index, int32_t H, const TColouring& Paint,
                   TPixelColor* const* Rows, const TStepKernels& K, const TSweepExtras& E);

  std::vector<TStrip> Strips;
  int32_t Count = 0;        // strips in use
  int32_t Height = 0;       // rows of the grid being swept
  int32_t Stride = 0;       // pixels from one band column to the next
  int32_t BandColumns = 1;
  bool Streaming = false;   // bands of StreamColumns from multiples of it, streamed in twos
};

}  // namespace plashbox::detail
