#include "raster/FastDraw.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>

namespace plashbox {

namespace {

using Int64 = std::int64_t;

constexpr Int64 One = 65536;  // 1.0 with 16 fraction bits

Int64 FloorDiv(__int128 numerator, Int64 denominator) {
  // The offsets of a line that starts far off the surface overflow 64 bits
  // before the division brings them back.
  __int128 quotient = numerator / denominator;
  if ((numerator % denominator != 0) && ((numerator < 0) != (denominator < 0))) {
    --quotient;
  }
  return static_cast<Int64>(quotient);
}

// Colour moves from the main pixel to its neighbour as w grows; the shifts are
// arithmetic, so negative differences round down like positive ones.
int BlendMain(int pixel, int colour, int w) { return colour + (((pixel - colour) * w) >> 8); }
int BlendNeighbour(int pixel, int colour, int w) { return pixel + (((colour - pixel) * w) >> 8); }

// The surface's extent in wide integers: turning a y upside down or stepping
// past an end point far off the surface must not overflow.
struct TArea {
  Int64 Width;
  Int64 Height;
  bool Holds(Int64 x, Int64 y) const { return x >= 0 && x < Width && y >= 0 && y < Height; }
};

TArea AreaOf(const TFastDIB& surface) { return TArea{surface.Width(), surface.AbsHeight()}; }

// The steps first .. last of 1 .. count whose main coordinate start + dir * i
// lies inside 0 .. size - 1; first > last when there are none.
std::pair<Int64, Int64> StepsInside(Int64 start, Int64 dir, Int64 size, Int64 count) {
  Int64 first = dir > 0 ? -start : start - (size - 1);
  Int64 last = dir > 0 ? size - 1 - start : start;
  return {std::max<Int64>(first, 1), std::min<Int64>(last, count)};
}

// Pixels of 8-, 24- and 32-bit surfaces: Channels bytes of colour at the start
// of each Stride-byte pixel; any further byte is left alone.
template <int Stride, int Channels>
class TBytePixels {
 public:
  TBytePixels(const TFastDIB& surface, std::array<std::uint8_t, Channels> colour)
      : Rows_(surface.Rows8()), Colour_(colour) {}

  void Plot(int x, int y) const {
    std::uint8_t* p = Rows_[y] + x * Stride;
    for (int c = 0; c < Channels; ++c) p[c] = Colour_[c];
  }
  void Main(int x, int y, int w) const {
    std::uint8_t* p = Rows_[y] + x * Stride;
    for (int c = 0; c < Channels; ++c) {
      p[c] = static_cast<std::uint8_t>(BlendMain(p[c], Colour_[c], w));
    }
  }
  void Neighbour(int x, int y, int w) const {
    std::uint8_t* p = Rows_[y] + x * Stride;
    for (int c = 0; c < Channels; ++c) {
      p[c] = static_cast<std::uint8_t>(BlendNeighbour(p[c], Colour_[c], w));
    }
  }

 private:
  std::uint8_t* const* Rows_;
  std::array<std::uint8_t, Channels> Colour_;
};

// Pixels of 16-bit surfaces: blended per component in the surface's own bit
// widths, then packed again.
class TPackedPixels {
 public:
  TPackedPixels(const TFastDIB& surface, TPixelColor colour)
      : Rows_(surface.Rows16()),
        Packed_(static_cast<std::uint16_t>(surface.PackColor(colour))),
        Masks_{surface.BlueMask(), surface.GreenMask(), surface.RedMask()},
        Shifts_{0, surface.GreenShift(), surface.RedShift()} {
    Colour_ = Unpack(Packed_);
  }

  void Plot(int x, int y) const { Rows_[y][x] = Packed_; }
  void Main(int x, int y, int w) const {
    std::uint16_t& p = Rows_[y][x];
    const std::array<int, 3> c = Unpack(p);
    p = Pack({BlendMain(c[0], Colour_[0], w), BlendMain(c[1], Colour_[1], w),
              BlendMain(c[2], Colour_[2], w)});
  }
  void Neighbour(int x, int y, int w) const {
    std::uint16_t& p = Rows_[y][x];
    const std::array<int, 3> c = Unpack(p);
    p = Pack({BlendNeighbour(c[0], Colour_[0], w), BlendNeighbour(c[1], Colour_[1], w),
              BlendNeighbour(c[2], Colour_[2], w)});
  }

 private:
  std::array<int, 3> Unpack(std::uint16_t pixel) const {
    std::array<int, 3> c{};
    for (int i = 0; i < 3; ++i) {
      c[i] = Shifts_[i] >= 32 ? 0 : static_cast<int>((pixel & Masks_[i]) >> Shifts_[i]);
    }
    return c;
  }
  std::uint16_t Pack(std::array<int, 3> c) const {
    std::uint32_t value = 0;
    for (int i = 0; i < 3; ++i) {
      if (Shifts_[i] < 32) value |= (static_cast<std::uint32_t>(c[i]) << Shifts_[i]) & Masks_[i];
    }
    return static_cast<std::uint16_t>(value);
  }

  std::uint16_t* const* Rows_;
  std::uint16_t Packed_;
  std::array<std::uint32_t, 3> Masks_;
  std::array<unsigned, 3> Shifts_;
  std::array<int, 3> Colour_{};
};

std::array<std::uint8_t, 3> ColourBytes(TPixelColor colour) {
  return {colour.Blue, colour.Green, colour.Red};
}

std::array<std::uint8_t, 1> ColourIndex(const TFastDIB& surface, TPixelColor colour) {
  return {NearestColorIndex(surface.ColorTable(), 255, colour)};
}

// Calls worker with the pixel access that fits the surface's depth.
template <class Worker>
void WithPixels(const TFastDIB& surface, TPixelColor colour, Worker&& worker) {
  switch (surface.BitsPerPixel()) {
    case 8:
      worker(TBytePixels<1, 1>(surface, ColourIndex(surface, colour)));
      break;
    case 16:
      worker(TPackedPixels(surface, colour));
      break;
    case 24:
      worker(TBytePixels<3, 3>(surface, ColourBytes(colour)));
      break;
    case 32:
      worker(TBytePixels<4, 3>(surface, ColourBytes(colour)));
      break;
    default:
      break;
  }
}

// Rows as the caller sees them: counted from the top of the picture.
Int64 RowFromTop(const TFastDIB& surface, Int64 y) {
  return surface.Height() > 0 ? surface.AbsHeight() - 1 - y : y;
}

template <class Pixels>
void PlotInside(const Pixels& pixels, TArea area, Int64 x, Int64 y) {
  if (area.Holds(x, y)) pixels.Plot(static_cast<int>(x), static_cast<int>(y));
}

template <class Pixels>
void SolidWorker(const TFastDIB& surface, const Pixels& pixels, Int64 x1, Int64 y1, Int64 x2,
                 Int64 y2) {
  const TArea area = AreaOf(surface);
  y1 = RowFromTop(surface, y1);
  y2 = RowFromTop(surface, y2);
  const Int64 ax = 2 * (x2 >= x1 ? x2 - x1 : x1 - x2);
  const Int64 ay = 2 * (y2 >= y1 ? y2 - y1 : y1 - y2);
  const Int64 sx = x2 >= x1 ? 1 : -1;
  const Int64 sy = y2 >= y1 ? 1 : -1;
  PlotInside(pixels, area, x1, y1);

  // Only the steps whose main coordinate is on the surface are run. The state
  // before the first of them comes in closed form: after k steps the error
  // term lies in [minor - major, minor), which fixes how often the minor
  // coordinate has moved.
  const bool flat = ax > ay;
  const Int64 major = flat ? ax : ay;
  const Int64 minor = flat ? ay : ax;
  if (major == 0) return;
  const Int64 count = major / 2;
  const auto [first, last] = flat ? StepsInside(x1, sx, area.Width, count)
                                  : StepsInside(y1, sy, area.Height, count);
  if (first > last) return;
  const Int64 d0 = minor - major / 2;
  const Int64 done = first - 1;
  const Int64 moves = FloorDiv(d0 + static_cast<__int128>(done - 1) * minor, major) + 1;
  Int64 d = static_cast<Int64>(d0 + static_cast<__int128>(done) * minor -
                               static_cast<__int128>(moves) * major);
  Int64 x = flat ? x1 + sx * done : x1 + sx * moves;
  Int64 y = flat ? y1 + sy * moves : y1 + sy * done;
  for (Int64 i = first; i <= last; ++i) {
    if (flat) {
      if (d >= 0) {
        y += sy;
        d -= ax;
      }
      x += sx;
      d += ay;
    } else {
      if (d >= 0) {
        x += sx;
        d -= ay;
      }
      y += sy;
      d += ax;
    }
    PlotInside(pixels, area, x, y);
  }
}

// The 16-bit accumulator after n steps of size step: how often it wrapped
// (each wrap moves the minor coordinate) and what it holds. A step of 0 (a
// line more than 65536 times longer than wide) wraps on every step, as the
// "new <= old" test has it.
struct TWuState {
  Int64 Wraps;
  std::uint32_t Acc;
};

TWuState WuAfter(Int64 n, Int64 step) {
  if (step == 0) return {n, 0};
  const Int64 total = n * step;
  return {total >> 16, static_cast<std::uint32_t>(total & 0xFFFF)};
}

template <class Pixels>
void SmoothWorker(const TFastDIB& surface, const Pixels& pixels, Int64 x1, Int64 y1, Int64 x2,
                  Int64 y2) {
  const TArea area = AreaOf(surface);
  y1 = RowFromTop(surface, y1);
  y2 = RowFromTop(surface, y2);
  if (y1 > y2) {
    std::swap(x1, x2);
    std::swap(y1, y2);
  }
  Int64 dx = x2 - x1;
  const Int64 dy = y2 - y1;
  Int64 xstep = 1;
  if (dx < 0) {
    xstep = -1;
    dx = -dx;
  }
  PlotInside(pixels, area, x1, y1);

  auto blend = [&](Int64 x, Int64 y, Int64 nx, Int64 ny, int w) {
    if (area.Holds(x, y)) pixels.Main(static_cast<int>(x), static_cast<int>(y), w);
    if (area.Holds(nx, ny)) pixels.Neighbour(static_cast<int>(nx), static_cast<int>(ny), w);
  };

  // As in the solid line only the steps whose main coordinate is on the
  // surface run; the accumulator is brought to the first of them directly.
  if (dy > dx) {
    const Int64 step = dx * One / dy;
    const auto [first, last] = StepsInside(y1, 1, area.Height, dy - 1);
    if (first <= last) {
      const TWuState state = WuAfter(first - 1, step);
      Int64 x = x1 + xstep * state.Wraps;
      std::uint32_t acc = state.Acc;
      for (Int64 i = first; i <= last; ++i) {
        const std::uint32_t next = (acc + static_cast<std::uint32_t>(step)) & 0xFFFFu;
        if (next <= acc) x += xstep;
        acc = next;
        const Int64 y = y1 + i;
        blend(x, y, x + xstep, y, static_cast<int>(acc >> 8));
      }
    }
  } else {
    const Int64 step = dy * One / dx;
    const auto [first, last] = StepsInside(x1, xstep, area.Width, dx - 1);
    if (first <= last) {
      const TWuState state = WuAfter(first - 1, step);
      Int64 y = y1 + state.Wraps;
      std::uint32_t acc = state.Acc;
      for (Int64 i = first; i <= last; ++i) {
        const std::uint32_t next = (acc + static_cast<std::uint32_t>(step)) & 0xFFFFu;
        if (next <= acc) y += 1;
        acc = next;
        const Int64 x = x1 + xstep * i;
        blend(x, y, x, y + 1, static_cast<int>(acc >> 8));
      }
    }
  }

  PlotInside(pixels, area, x2, y2);
}

template <int Stride, int Channels>
void GradientWorker(const TFastDIB& surface, Int64 x1, Int64 y1, Int64 x2, Int64 y2,
                    const std::array<std::array<int, Channels>, 4>& corners) {
  if (y2 <= y1 || x2 <= x1) return;
  const Int64 v = One / (y2 - y1);
  const Int64 h = One / (x2 - x1);

  // The steps belong to the whole rectangle; clipping only picks which of
  // its rows and columns are written.
  const Int64 rowFirst = std::max<Int64>(y1, 0);
  const Int64 rowEnd = std::min<Int64>(y2, surface.AbsHeight());
  const Int64 colFirst = std::max<Int64>(x1, 0);
  const Int64 colEnd = std::min<Int64>(x2, surface.Width());
  if (rowFirst >= rowEnd || colFirst >= colEnd) return;

  std::uint8_t* const* rows = surface.Rows8();
  for (Int64 row = rowFirst; row < rowEnd; ++row) {
    const Int64 k = row - y1;
    const Int64 top = One - k * v;
    const Int64 bottom = k * v;
    std::uint8_t* const line = rows[row];
    for (int c = 0; c < Channels; ++c) {
      const Int64 left = (corners[0][c] * top + corners[2][c] * bottom) >> 16;
      const Int64 right = (corners[1][c] * top + corners[3][c] * bottom) >> 16;
      const Int64 increment = (right - left) * h;
      Int64 acc = left * One + (colFirst - x1) * increment;
      std::uint8_t* p = line + colFirst * Stride + c;
      for (Int64 col = colFirst; col < colEnd; ++col, p += Stride) {
        acc += increment;
        *p = static_cast<std::uint8_t>((acc >> 16) & 0xFF);
      }
    }
  }
}

std::array<int, 3> GradientChannels(TPixelColor colour) {
  return {colour.Blue, colour.Green, colour.Red};
}

}  // namespace

void GradientRect(TFastDIB& surface, int x1, int y1, int x2, int y2, TPixelColor c1,
                  TPixelColor c2, TPixelColor c3, TPixelColor c4) {
  switch (surface.BitsPerPixel()) {
    case 8: {
      auto index = [&](TPixelColor c) {
        return std::array<int, 1>{NearestColorIndex(surface.ColorTable(), 255, c)};
      };
      GradientWorker<1, 1>(surface, x1, y1, x2, y2, {index(c1), index(c2), index(c3), index(c4)});
      break;
    }
    case 24:
      GradientWorker<3, 3>(surface, x1, y1, x2, y2,
                           {GradientChannels(c1), GradientChannels(c2), GradientChannels(c3),
                            GradientChannels(c4)});
      break;
    case 32:
      GradientWorker<4, 3>(surface, x1, y1, x2, y2,
                           {GradientChannels(c1), GradientChannels(c2), GradientChannels(c3),
                            GradientChannels(c4)});
      break;
    default:
      break;
  }
}

void SolidLine(TFastDIB& surface, int x1, int y1, int x2, int y2, TPixelColor colour) {
  WithPixels(surface, colour,
             [&](const auto& pixels) { SolidWorker(surface, pixels, x1, y1, x2, y2); });
}

void SmoothLine(TFastDIB& surface, int x1, int y1, int x2, int y2, TPixelColor colour) {
  if (y1 == y2 || x1 == x2) {
    SolidLine(surface, x1, y1, x2, y2, colour);
    return;
  }
  WithPixels(surface, colour,
             [&](const auto& pixels) { SmoothWorker(surface, pixels, x1, y1, x2, y2); });
}

}  // namespace plashbox
