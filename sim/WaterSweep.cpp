#include "sim/WaterSweep.h"

#include <algorithm>

#include "sim/WaterPalettes.h"
#include "sim/WorkerPool.h"

namespace plashbox::detail {

namespace {

// Streaming needs kernels that stream and every picture row on a cache line of its own.
bool StreamsPicture(TPictureStores Stores, int32_t W, int32_t H, TPixelColor* const* Rows,
                    const TStepKernels& Kernels) {
  const bool wanted = Stores == TPictureStores::Streamed ||
                      (Stores == TPictureStores::BySize && size_t(W) * size_t(H) * 3 >= StreamedPictureBytes);
  if (!wanted || !Kernels.StreamBand) return false;
  for (int32_t y = 1; y < H - 1; ++y)
    if (reinterpret_cast<uintptr_t>(Rows[y]) % 64 != 0) return false;
  return true;
}

}  // namespace

void TWaterSweep::Prepare(int32_t W, int32_t H, const TSweepLayout& Layout, bool Halos, bool Bands, bool Streams) {
  const int32_t inner = W - 2;
  Count = std::clamp(Layout.Threads, 1, std::min(inner, MaxThreads));
  Height = H;
  Streaming = Streams;
  BandColumns = Streams ? StreamColumns : std::clamp(Layout.BandColumns, 1, MaxBandColumns);
  // Streamed strips start one before a multiple of two bands, so that the column pairs of the
  // sweep (from the second column of a strip on) meet every band's first column, and the
  // first whole band of a strip is the first of two.
  const int32_t pairOfBands = 2 * StreamColumns;
  const bool alignStrips = Streams && inner >= 2 * pairOfBands * Count;
  // A little more than a column apart, so that the band's columns do not all fall into the
  // same cache sets when the band is read one row across them.
  Stride = (H + 15) / 16 * 16 + 16;
  if (int32_t(Strips.size()) < Count) Strips.resize(size_t(Count));
  for (int32_t t = 0; t < Count; ++t) {
    TStrip& s = Strips[size_t(t)];
    auto cut = [&](int32_t T) {
      const auto at = int32_t(int64_t(inner) * T / Count);
      if (!alignStrips || T == 0 || T == Count) return 1 + at;
      return (at + pairOfBands / 2) / pairOfBands * pairOfBands - 1;
    };
    s.From = cut(t);
    s.To = cut(t + 1);
    if (Halos && s.LeftHalo.size() < size_t(H)) {
      s.LeftHalo.resize(size_t(H));
      s.RightHalo.resize(size_t(H));
    }
    if (Bands && s.Band.size() < size_t(BandColumns) * size_t(Stride)) s.Band.resize(size_t(BandColumns) * size_t(Stride));
    if (Streams && s.Carry.size() < size_t(H) * CarryValues) s.Carry.resize(size_t(H) * CarryValues);
  }
}

void TWaterSweep::Step(TWaterGrid& Cells, const TColouring* Paint, TPixelColor* const* Rows,
                       const TSweepLayout& Layout, const TStepKernels& Kernels, const TSweepExtras& Extras) {
  const int32_t W = Cells.Width(), H = Cells.Height();
  if (W < 3 || H < 3) return;
  const bool streams = Paint && StreamsPicture(Layout.Stores, W, H, Rows, Kernels);
  Prepare(W, H, Layout, Layout.Threads > 1, Paint != nullptr, streams);
  // The halos, taken before any strip moves a displacement.
  for (int32_t t = 1; t < Count; ++t) {
    const int32_t border = Strips[size_t(t)].From;
    std::copy_n(Cells[border - 1].Displacement, H, Strips[size_t(t)].LeftHalo.data());
    std::copy_n(Cells[border].Displacement, H, Strips[size_t(t - 1)].RightHalo.data());
  }
  auto job = [&](int32_t Index) { StepStrip(Cells, Index, Paint, Rows, Kernels, Extras); };
  SharedWorkerPool().Run(Count, job);
}

void TWaterSweep::StepStrip(TWaterGrid& Cells, int32_t Index, const TColouring* Paint, TPixelColor* const* Rows,
                            const TStepKernels& K, const TSweepExtras& E) {
  TStrip& s = Strips[size_t(Index)];
  const int32_t H = Height, x0 = s.From, x1 = s.To;
  // The first strip's left neighbour is column 0 and the last one's right neighbour the last
  // column: the step never moves either, so they are read in place. A halo holds displacements
  // only, all that the kernels read of a neighbour they do not move.
  const TWaveColumn left = Index > 0 ? TWaveColumn(s.LeftHalo.data(), nullptr, nullptr, nullptr) : Cells[x0 - 1];
  const TConstWaterColumn right =
      Index < Count - 1 ? TConstWaterColumn(s.RightHalo.data(), nullptr, nullptr, nullptr) : Cells[x1];
  uint32_t* band = s.Band.data();
  // The intensity view colours from the mean after the step, so the kernels only step.
  const TColouring* heights = E.ShowIntensity ? nullptr : Paint;
  // The band holds columns bandFrom .. bandEnd-1: BandColumns of them, or when streaming up to
  // the next multiple of StreamColumns.
  const auto endOfBand = [&](int32_t From) {
    return Streaming ? (From / StreamColumns + 1) * StreamColumns : From + BandColumns;
  };
  int32_t bandFrom = x0, bandEnd = endOfBand(x0);
  int32_t carried = -1;  // the first column of a streamed band whose second is still to come
  const auto writeCarry = [&] {
    if (carried >= 0) WriteCarry(s.Carry.data(), H, Rows, carried);
    carried = -1;
  };
  const auto writeBand = [&](int32_t Columns) {
    if (Streaming && Columns == StreamColumns) {
      // A first band only where its second will be whole; a second only after its first.
      const bool first = FirstOfStreamedPair(bandFrom);
      if (first ? bandFrom + 2 * StreamColumns <= x1 : carried == bandFrom - StreamColumns) {
        K.StreamBand(band, Stride, H, Rows, bandFrom, s.Carry.data());
        carried = first ? bandFrom : -1;
        return;
      }
    }
    writeCarry();
    K.WriteBand(band, Stride, Columns, H, Rows, bandFrom);
  };
  // Before columns First .. Last go into the band: if Last would not fit, the columns before
  // First (all done) go out to the picture and First takes the band's first place.
  auto makeRoom = [&](int32_t First, int32_t Last) {
    if (!Paint || Last < bandEnd) return;
    writeBand(First - bandFrom);
    bandFrom = First;
    bandEnd = endOfBand(First);
  };
  auto pixelsOf = [&](int32_t X) { return Paint ? band + size_t(X - bandFrom) * size_t(Stride) : nullptr; };
  // Two columns at a time where the kernels can and the band holds two.
  const bool pairs = K.StepTwoColumns && BandColumns >= 2;
  int32_t x = x0;
  while (x < x1) {
    const bool displace = x > x0;
    const TWaveColumn leftOfX = x == x0 ? left : Cells[x - 1];
    if (pairs && x + 1 < x1) {
      makeRoom(displace ? x - 1 : x, x);
      uint32_t* leftPixels = displace ? pixelsOf(x - 1) : nullptr;
      uint32_t* pixels = pixelsOf(x);
      K.StepTwoColumns(leftOfX, Cells[x], Cells[x + 1], x + 1 == x1 - 1 ? right : TConstWaterColumn(Cells[x + 2]), H,
                       displace, heights, leftPixels, pixels);
      if (displace) FinishColumn(Cells[x - 1], x - 1, Paint, leftPixels, E);
      FinishColumn(Cells[x], x, Paint, pixels, E);
      x += 2;
      continue;
    }
    if (displace) makeRoom(x - 1, x - 1);
    uint32_t* pixels = displace ? pixelsOf(x - 1) : nullptr;
    K.StepColumn(leftOfX, Cells[x], x == x1 - 1 ? right : TConstWaterColumn(Cells[x + 1]), H, displace,
                 displace ? heights : nullptr, pixels);
    if (displace) FinishColumn(Cells[x - 1], x - 1, Paint, pixels, E);
    ++x;
  }
  makeRoom(x1 - 1, x1 - 1);
  uint32_t* last = pixelsOf(x1 - 1);
  K.DisplaceColumn(Cells[x1 - 1], H, heights, last);
  FinishColumn(Cells[x1 - 1], x1 - 1, Paint, last, E);
  if (!Paint) return;
  writeBand(x1 - bandFrom);
  writeCarry();
}

void TWaterSweep::FinishColumn(const TConstWaterColumn& Column, int32_t X, const TColouring* Paint, uint32_t* Pixels,
                               const TSweepExtras& E) const {
  if (E.Intensity)
    AccumulateIntensity(Column, E.Intensity + size_t(X) * size_t(Height), Height, E.IntensityRate,
                        E.ShowIntensity && Pixels ? Paint : nullptr, Pixels);
  if (Pixels && E.Table) MapPixels(Pixels, 1, Height - 1, E.Table);
}

void TWaterSweep::Colour(const TWaterGrid& Cells, int32_t W, int32_t H, const TColouring& Paint,
                         TPixelColor* const* Rows, const TSweepLayout& Layout, const TStepKernels& Kernels,
                         const TSweepExtras& Extras) {
  if (W < 3 || H < 3) return;
  Prepare(W, H, Layout, false, true, false);
  auto job = [&](int32_t Index) { ColourStrip(Cells, Index, H, Paint, Rows, Kernels, Extras); };
  SharedWorkerPool().Run(Count, job);
}

void TWaterSweep::ColourStrip(const TWaterGrid& Cells, int32_t Index, int32_t H, const TColouring& Paint,
                              TPixelColor* const* Rows, const TStepKernels& K, const TSweepExtras& E) {
  const TStrip& s = Strips[size_t(Index)];
  uint32_t* band = Strips[size_t(Index)].Band.data();
  // The mean is laid out by the grid's height, which may be taller than the part coloured.
  const size_t meanStride = size_t(Cells.Height());
  for (int32_t from = s.From; from < s.To; from += BandColumns) {
    const int32_t columns = std::min(BandColumns, s.To - from);
    for (int32_t c = 0; c < columns; ++c) {
      uint32_t* pixels = band + size_t(c) * size_t(Stride);
      if (E.ShowIntensity)
        ColourIntensity(Cells[from + c], E.Intensity + size_t(from + c) * meanStride, H, Paint, pixels);
      else
        K.ColourColumn(Cells[from + c], H, Paint, pixels);
      if (E.Table) MapPixels(pixels, 1, H - 1, E.Table);
    }
    K.WriteBand(band, Stride, columns, H, Rows, from);
  }
}

}  // namespace plashbox::detail
