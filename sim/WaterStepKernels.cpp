#include "sim/WaterStepKernels.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
// GCC 12's own AVX-512 headers trip its (maybe-)uninitialized checks (their casts start from an
// undefined vector on purpose); the warning says nothing about this file.
#if !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#define PLASHBOX_X86 1
#endif
#if defined(__wasm_simd128__)
#include <wasm_simd128.h>
#endif

namespace plashbox::detail {

namespace {

void StepColumnPortable(const TWaveColumn& Left, const TWaveColumn& Centre, const TConstWaterColumn& Right,
                        int32_t H, bool DisplaceLeft, const TColouring* Paint, uint32_t* LeftPixels) {
  if (H < 3) return;
  const float *l = Left.Displacement, *r = Right.Displacement, *d = Centre.Displacement, *s = Centre.SpeedFactor;
  float* v = Centre.Velocity;
  // The centre's displacements move down through registers: the compiler cannot tell that
  // the velocity stores leave them alone, and would load each of them three times.
  double below = d[0], centre = d[1];
  for (int32_t y = 1; y < H - 1; ++y) {
    const double above = d[y + 1];
    // Left + below + right + above - 4 x centre, in this order, as UpdateVelocity adds them.
    const double laplace = double(l[y]) + below + double(r[y]) + above - 4.0 * centre;
    v[y] = static_cast<float>(double(v[y]) + double(s[y]) * laplace);
    below = centre;
    centre = above;
    if (!DisplaceLeft) continue;
    UpdateDisplacement(Left, y);
    if (Paint) LeftPixels[y] = CellPixel(Left, y, *Paint);
  }
}

void DisplaceColumnPortable(const TWaveColumn& Column, int32_t H, const TColouring* Paint, uint32_t* Pixels) {
  for (int32_t y = 1; y < H - 1; ++y) {
    UpdateDisplacement(Column, y);
    if (Paint) Pixels[y] = CellPixel(Column, y, *Paint);
  }
}

void ColourColumnPortable(const TConstWaterColumn& Column, int32_t H, const TColouring& Paint, uint32_t* Pixels) {
  ColourCells(Column, 1, H, Paint, Pixels);
}

// Rows From .. To-1 of a band, pixel by pixel.
void WriteBandRows(const uint32_t* Band, int32_t Stride, int32_t Columns, int32_t From, int32_t To,
                   TPixelColor* const* Rows, int32_t X) {
  for (int32_t y = From; y < To; ++y) {
    TPixelColor* row = Rows[y] + X;
    const uint32_t* pixels = Band + y;
    for (int32_t c = 0; c < Columns; ++c) row[c] = TPixelColor::FromValue(pixels[size_t(c) * size_t(Stride)]);
  }
}

// Where, in the 96 bytes a row of a streamed first band, the part it keeps in Carry starts.
constexpr int32_t CarriedFromByte = 64;

void WriteBandPortable(const uint32_t* Band, int32_t Stride, int32_t Columns, int32_t H, TPixelColor* const* Rows,
                       int32_t X) {
  WriteBandRows(Band, Stride, Columns, 1, H - 1, Rows, X);
}

#if PLASHBOX_X86

// Whether a two-column step reads all the medium it needs from the grid's shared doubles: the
// speed factors of Centre and Next, the damping of Centre and of Left when it is displaced.
inline bool PairSharesMedium(const TWaveColumn& Left, const TWaveColumn& Centre, const TWaveColumn& Next,
                             bool DisplaceLeft) {
  return Centre.WideDamping && Next.WideSpeedFactor && Centre.WideSpeedFactor && (!DisplaceLeft || Left.WideDamping);
}

// The byte shuffles, per 128-bit lane, that make pixels: a grey pixel from a red level in the
// low byte of each of four 32-bit lanes; and four packed pixels squeezed into twelve bytes.
alignas(16) constexpr int8_t GreyFromRed[16] = {0, 0, 0, -1, 4, 4, 4, -1, 8, 8, 8, -1, 12, 12, 12, -1};
alignas(16) constexpr int8_t SqueezePixels[16] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1};
inline __m128i LanePattern(const int8_t (&Bytes)[16]) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(Bytes));
}

// Four rows at a time: four singles of one value widen to one vector of doubles. The centre's
// neighbours below and above are read shifted by a row, which this kernel never stores.
#define PLASHBOX_AVX2 __attribute__((target("avx2")))

PLASHBOX_AVX2 inline __m256d Wide4(const float* Values) { return _mm256_cvtps_pd(_mm_loadu_ps(Values)); }

// (d + v) x damping of four cells as singles, clamped; min(high, max(low, d)) keeps a NaN as it
// is, like the scalar comparisons.
PLASHBOX_AVX2 inline __m128 Displaced4(__m256d D, __m256d V, __m256d Damping) {
  const __m128 d = _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_add_pd(D, V), Damping));
  return _mm_min_ps(_mm_set1_ps(DisplacementLimit), _mm_max_ps(_mm_set1_ps(-DisplacementLimit), d));
}

// Four rows of a medium value as doubles: widened, or loaded where the column shares the grid's
// medium and the grid keeps it as doubles (WideMedium); the two give the same values.
template <bool WideMedium>
PLASHBOX_AVX2 inline __m256d Medium4(const float* Singles, const double* Doubles, int32_t y) {
  if constexpr (WideMedium)
    return _mm256_loadu_pd(Doubles + y);
  else
    return Wide4(Singles + y);
}

PLASHBOX_AVX2 void ColourColumnAVX2(const TConstWaterColumn& Column, int32_t H, const TColouring& Paint,
                                    uint32_t* Pixels);

template <bool WideMedium>
PLASHBOX_AVX2 inline int32_t StepRowsAVX2(const TWaveColumn& Left, const TWaveColumn& Centre,
                                          const TConstWaterColumn& Right, int32_t H, bool DisplaceLeft) {
  const float *d = Centre.Displacement, *l = Left.Displacement, *r = Right.Displacement;
  int32_t y = 1;
  for (; y + 3 <= H - 2; y += 4) {
    const __m256d lD = Wide4(l + y), cD = Wide4(d + y);
    // Left + below + right + above - 4 x centre, in this order, then v += s x sum.
    __m256d sum = _mm256_add_pd(_mm256_add_pd(_mm256_add_pd(lD, Wide4(d + y - 1)), Wide4(r + y)), Wide4(d + y + 1));
    sum = _mm256_sub_pd(sum, _mm256_mul_pd(_mm256_set1_pd(4.0), cD));
    const __m256d s = Medium4<WideMedium>(Centre.SpeedFactor, Centre.WideSpeedFactor, y);
    const __m256d v = _mm256_add_pd(Wide4(Centre.Velocity + y), _mm256_mul_pd(s, sum));
    _mm_storeu_ps(Centre.Velocity + y, _mm256_cvtpd_ps(v));
    if (DisplaceLeft)
      _mm_storeu_ps(Left.Displacement + y, Displaced4(lD, Wide4(Left.Velocity + y),
                                                      Medium4<WideMedium>(Left.Damping, Left.WideDamping, y)));
  }
  return y;
}

PLASHBOX_AVX2 void StepColumnAVX2(const TWaveColumn& Left, const TWaveColumn& Centre, const TConstWaterColumn& Right,
                                  int32_t H, bool DisplaceLeft, const TColouring* Paint, uint32_t* LeftPixels) {
  const bool shared = Centre.WideSpeedFactor && (!DisplaceLeft || Left.WideDamping);
  const int32_t y = shared ? StepRowsAVX2<true>(Left, Centre, Right, H, DisplaceLeft)
                           : StepRowsAVX2<false>(Left, Centre, Right, H, DisplaceLeft);
  for (int32_t row = y; row < H - 1; ++row) {
    UpdateVelocity(Left, Centre, Right, row);
    if (DisplaceLeft) UpdateDisplacement(Left, row);
  }
  if (DisplaceLeft && Paint) ColourColumnAVX2(Left, H, *Paint, LeftPixels);  // the column is still in the cache
}

// The vector rows of the two-column step, four at a time. Centre is displaced block by block,
// so the row below each of its blocks comes from the old values of the block before, kept in a
// register; its row above is not yet displaced and is read shifted from memory, and so are
// Next's rows below and above, which this kernel never moves. Returns the first row left over
// and, in Below, the old displacement of the row before it.
template <bool WideMedium>
PLASHBOX_AVX2 inline int32_t StepTwoColumnsRowsAVX2(const TWaveColumn& Left, const TWaveColumn& Centre,
                                                    const TWaveColumn& Next, const TConstWaterColumn& Right,
                                                    int32_t H, bool DisplaceLeft, float& Below) {
  const float *l = Left.Displacement, *c = Centre.Displacement, *n = Next.Displacement, *r = Right.Displacement;
  const __m256d four = _mm256_set1_pd(4.0);
  __m128 previous = _mm_set1_ps(c[0]);  // the old displacements of the block before
  int32_t y = 1;
  for (; y + 3 <= H - 2; y += 4) {
    const __m128 current = _mm_loadu_ps(c + y);
    const __m256d cD = _mm256_cvtps_pd(current), nD = Wide4(n + y), lD = Wide4(l + y);
    const __m256d cBelow =
        _mm256_cvtps_pd(_mm_castsi128_ps(_mm_alignr_epi8(_mm_castps_si128(current), _mm_castps_si128(previous), 12)));
    // Left + below + right + above - 4 x centre, in this order, then v += s x sum.
    __m256d sumC = _mm256_add_pd(_mm256_add_pd(_mm256_add_pd(lD, cBelow), nD), Wide4(c + y + 1));
    sumC = _mm256_sub_pd(sumC, _mm256_mul_pd(four, cD));
    __m256d sumN = _mm256_add_pd(_mm256_add_pd(_mm256_add_pd(cD, Wide4(n + y - 1)), Wide4(r + y)), Wide4(n + y + 1));
    sumN = _mm256_sub_pd(sumN, _mm256_mul_pd(four, nD));
    const __m256d sC = Medium4<WideMedium>(Centre.SpeedFactor, Centre.WideSpeedFactor, y);
    const __m256d sN = Medium4<WideMedium>(Next.SpeedFactor, Next.WideSpeedFactor, y);
    const __m128 vC = _mm256_cvtpd_ps(_mm256_add_pd(Wide4(Centre.Velocity + y), _mm256_mul_pd(sC, sumC)));
    const __m128 vN = _mm256_cvtpd_ps(_mm256_add_pd(Wide4(Next.Velocity + y), _mm256_mul_pd(sN, sumN)));
    _mm_storeu_ps(Next.Velocity + y, vN);
    if (DisplaceLeft)
      _mm_storeu_ps(Left.Displacement + y, Displaced4(lD, Wide4(Left.Velocity + y),
                                                      Medium4<WideMedium>(Left.Damping, Left.WideDamping, y)));
    _mm_storeu_ps(Centre.Velocity + y, vC);
    _mm_storeu_ps(Centre.Displacement + y, Displaced4(cD, _mm256_cvtps_pd(vC),
                                                      Medium4<WideMedium>(Centre.Damping, Centre.WideDamping, y)));
    previous = current;
  }
  Below = _mm_cvtss_f32(_mm_shuffle_ps(previous, previous, 3));
  return y;
}

PLASHBOX_AVX2 void StepTwoColumnsAVX2(const TWaveColumn& LeftColumn, const TWaveColumn& CentreColumn,
                                      const TWaveColumn& NextColumn, const TConstWaterColumn& RightColumn, int32_t H,
                                      bool DisplaceLeft, const TColouring* Paint, uint32_t* LeftPixels,
                                      uint32_t* CentrePixels) {
  if (H < 3) return;
  // By value, as in the AVX-512 kernels: the compiler need not reload the pointers after stores.
  const TWaveColumn Left = LeftColumn, Centre = CentreColumn, Next = NextColumn;
  const TConstWaterColumn Right = RightColumn;
  const bool shared = PairSharesMedium(Left, Centre, Next, DisplaceLeft);
  float oldBelow = 0;
  const int32_t from = shared ? StepTwoColumnsRowsAVX2<true>(Left, Centre, Next, Right, H, DisplaceLeft, oldBelow)
                              : StepTwoColumnsRowsAVX2<false>(Left, Centre, Next, Right, H, DisplaceLeft, oldBelow);
  // The rows left over: every velocity first, from displacements not yet moved, then Centre's.
  const float* c = Centre.Displacement;
  double below = oldBelow, centre = c[from];
  for (int32_t y = from; y < H - 1; ++y) {
    const double above = c[y + 1];
    const double laplace = double(Left.Displacement[y]) + below + double(Next.Displacement[y]) + above - 4.0 * centre;
    Centre.Velocity[y] = static_cast<float>(double(Centre.Velocity[y]) + double(Centre.SpeedFactor[y]) * laplace);
    UpdateVelocity(Centre, Next, Right, y);
    if (DisplaceLeft) UpdateDisplacement(Left, y);
    below = centre;
    centre = above;
  }
  for (int32_t y = from; y < H - 1; ++y) UpdateDisplacement(Centre, y);
  if (!Paint) return;
  if (DisplaceLeft) ColourColumnAVX2(Left, H, *Paint, LeftPixels);
  ColourColumnAVX2(Centre, H, *Paint, CentrePixels);
}

PLASHBOX_AVX2 void DisplaceColumnAVX2(const TWaveColumn& Column, int32_t H, const TColouring* Paint,
                                      uint32_t* Pixels) {
  int32_t y = 1;
  for (; y + 3 <= H - 2; y += 4)
    _mm_storeu_ps(Column.Displacement + y, Displaced4(Wide4(Column.Displacement + y), Wide4(Column.Velocity + y),
                                                      Wide4(Column.Damping + y)));
  for (int32_t row = y; row < H - 1; ++row) UpdateDisplacement(Column, row);
  if (Paint) ColourColumnAVX2(Column, H, *Paint, Pixels);
}

// The green and blue level of four cells with red levels T and speed factors S.
PLASHBOX_AVX2 inline __m128i Green4(__m128 T, __m128 S) {
  const __m256d g = _mm256_mul_pd(_mm256_mul_pd(_mm256_set1_pd(2.0), _mm256_cvtps_pd(T)), _mm256_cvtps_pd(S));
  return _mm256_cvtpd_epi32(_mm256_min_pd(_mm256_max_pd(g, _mm256_setzero_pd()), _mm256_set1_pd(255.0)));
}

// Twelve bytes of a vector to To, as a run of eight and one of four.
PLASHBOX_AVX2 inline void Write12(uint8_t* To, __m128i Bytes) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(To), Bytes);
  const int32_t last = _mm_cvtsi128_si32(_mm_srli_si128(Bytes, 8));
  std::memcpy(To + 8, &last, 4);
}

// Colours eight cells (rows y .. y+7) as the plain ColourCells does: the red level in doubles,
// the green and blue ones spread from it by one byte shuffle in open water (where 2 x t x s is t
// itself), else from 2 x t x s in doubles; clamped before rounding, a NaN to 0.
PLASHBOX_AVX2 inline __m256i ColourBlockAVX2(const float* Displacements, const float* SpeedFactors,
                                             const TColouring& Paint) {
  const __m256d exposure = _mm256_set1_pd(Paint.Exposure), scale = _mm256_set1_pd(Paint.Scale);
  const __m128 low = _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_add_pd(Wide4(Displacements), exposure), scale));
  const __m128 high = _mm256_cvtpd_ps(_mm256_mul_pd(_mm256_add_pd(Wide4(Displacements + 4), exposure), scale));
  const __m256 t = _mm256_set_m128(high, low);
  const __m256i red = _mm256_cvtps_epi32(_mm256_min_ps(_mm256_max_ps(t, _mm256_setzero_ps()), _mm256_set1_ps(255.0f)));
  const __m256 s = _mm256_loadu_ps(SpeedFactors);
  if (_mm256_movemask_ps(_mm256_cmp_ps(s, _mm256_set1_ps(OpenWaterSpeedFactor), _CMP_EQ_OQ)) == 0xFF) {
    return _mm256_shuffle_epi8(red, _mm256_broadcastsi128_si256(LanePattern(GreyFromRed)));
  }
  const __m256i green =
      _mm256_set_m128i(Green4(high, _mm256_extractf128_ps(s, 1)), Green4(low, _mm256_castps256_ps128(s)));
  return _mm256_or_si256(_mm256_slli_epi32(red, 16), _mm256_or_si256(_mm256_slli_epi32(green, 8), green));
}

PLASHBOX_AVX2 void ColourColumnAVX2(const TConstWaterColumn& Column, int32_t H, const TColouring& Paint,
                                    uint32_t* Pixels) {
  int32_t y = 1;
  for (; y + 7 <= H - 2; y += 8)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Pixels + y),
                        ColourBlockAVX2(Column.Displacement + y, Column.SpeedFactor + y, Paint));
  ColourCells(Column, y, H, Paint, Pixels);
}

// Eight columns by eight rows of a band (column c at Band + c x Stride, rows y .. y+7) turned
// into rows: eight loads of one band column each, a transpose by unpacks and lane swaps, then
// each row's three-byte pixels squeezed together within the two lanes, so that row j holds
// its first four pixels in the low twelve bytes of the low lane, the other four in the high's.
PLASHBOX_AVX2 inline void TransposeBlockAVX2(const uint32_t* Band, int32_t Stride, int32_t y, __m256i (&Rows)[8]) {
  const __m256i squeeze = _mm256_broadcastsi128_si256(LanePattern(SqueezePixels));
  __m256i r[8];
  for (int32_t i = 0; i < 8; ++i)
    r[i] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Band + size_t(i) * size_t(Stride) + y));
  __m256i t[8], u[8];
  for (int32_t i = 0; i < 8; i += 2) {
    t[i] = _mm256_unpacklo_epi32(r[i], r[i + 1]);
    t[i + 1] = _mm256_unpackhi_epi32(r[i], r[i + 1]);
  }
  for (int32_t i = 0; i < 8; i += 4) {
    u[i] = _mm256_unpacklo_epi64(t[i], t[i + 2]);
    u[i + 1] = _mm256_unpackhi_epi64(t[i], t[i + 2]);
    u[i + 2] = _mm256_unpacklo_epi64(t[i + 1], t[i + 3]);
    u[i + 3] = _mm256_unpackhi_epi64(t[i + 1], t[i + 3]);
  }
  for (int32_t j = 0; j < 4; ++j) {
    // Rows j and j + 4: the low and the high lanes of the two halves' blocks.
    Rows[j] = _mm256_shuffle_epi8(_mm256_permute2x128_si256(u[j], u[j + 4], 0x20), squeeze);
    Rows[j + 4] = _mm256_shuffle_epi8(_mm256_permute2x128_si256(u[j], u[j + 4], 0x31), squeeze);
  }
}

// The band into the picture a block of eight columns by eight rows at a time, each row as two
// runs of twelve bytes. A run goes as sixteen bytes where the four beyond it are written later
// anyway: by the row's next run, or by the band's next two pixels, written after this block.
// The columns and rows beyond whole blocks go pixel by pixel.
PLASHBOX_AVX2 void WriteBandAVX2(const uint32_t* Band, int32_t Stride, int32_t Columns, int32_t H,
                                 TPixelColor* const* Rows, int32_t X) {
  int32_t c = 0;
  for (; c + 8 <= Columns; c += 8) {
    const bool pixelsAfter = c + 10 <= Columns;
    int32_t y = 1;
    for (; y + 7 <= H - 2; y += 8) {
      __m256i rows[8];
      TransposeBlockAVX2(Band + size_t(c) * size_t(Stride), Stride, y, rows);
      for (int32_t j = 0; j < 8; ++j) {
        auto* run = reinterpret_cast<uint8_t*>(Rows[y + j] + X + c);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(run), _mm256_castsi256_si128(rows[j]));
        if (pixelsAfter)
          _mm_storeu_si128(reinterpret_cast<__m128i*>(run + 12), _mm256_extracti128_si256(rows[j], 1));
        else
          Write12(run + 12, _mm256_extracti128_si256(rows[j], 1));
      }
    }
    WriteBandRows(Band + size_t(c) * size_t(Stride), Stride, 8, y, H - 1, Rows, X + c);
  }
  WriteBandPortable(Band + size_t(c) * size_t(Stride), Stride, Columns - c, H, Rows, X + c);
}

// As StreamBandAVX512, in halves of cache lines: eight rows of the band's four blocks go into
// a staging block, each twelve-byte run as sixteen bytes that the next run overwrites, and the
// staged rows to the picture. The rows beyond whole blocks go through the caches.
PLASHBOX_AVX2 void StreamBandAVX2(const uint32_t* Band, int32_t Stride, int32_t H, TPixelColor* const* Rows,
                                  int32_t X, uint32_t* Carry) {
  const bool firstOfTwo = FirstOfStreamedPair(X);
  alignas(32) uint8_t staged[8][StreamColumns * 3 + 32];
  int32_t y = 1;
  for (; y + 7 <= H - 2; y += 8) {
    for (int32_t c = 0; c < StreamColumns; c += 8) {
      __m256i rows[8];
      TransposeBlockAVX2(Band + size_t(c) * size_t(Stride), Stride, y, rows);
      for (int32_t j = 0; j < 8; ++j) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(staged[j] + 3 * c), _mm256_castsi256_si128(rows[j]));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(staged[j] + 3 * c + 12), _mm256_extracti128_si256(rows[j], 1));
      }
    }
    for (int32_t j = 0; j < 8; ++j) {
      auto* run = reinterpret_cast<__m256i*>(Rows[y + j] + X);
      auto* carried = reinterpret_cast<__m256i*>(Carry + size_t(y + j) * CarryValues);
      const auto* row = reinterpret_cast<const __m256i*>(staged[j]);
      if (firstOfTwo) {
        _mm256_stream_si256(run, _mm256_load_si256(row));
        _mm256_stream_si256(run + 1, _mm256_load_si256(row + 1));
        _mm256_storeu_si256(carried, _mm256_load_si256(row + 2));
      } else {
        _mm256_stream_si256(run - 1, _mm256_loadu_si256(carried));
        for (int32_t l = 0; l < 3; ++l) _mm256_stream_si256(run + l, _mm256_load_si256(row + l));
      }
    }
  }
  _mm_sfence();
  // Each band writes all of its own of these rows; the first keeps its part as well, for a
  // WriteCarry that follows it instead of a second band.
  WriteBandRows(Band, Stride, StreamColumns, y, H - 1, Rows, X);
  if (firstOfTwo)
    for (; y < H - 1; ++y)
      std::memcpy(Carry + size_t(y) * CarryValues, reinterpret_cast<const uint8_t*>(Rows[y] + X) + CarriedFromByte,
                  CarryValues * sizeof(uint32_t));
}

const TStepKernels AVX2Kernels{&StepColumnAVX2, &DisplaceColumnAVX2, &ColourColumnAVX2, &WriteBandAVX2,
                               &StepTwoColumnsAVX2, &StreamBandAVX2, "avx2"};

// Eight rows at a time: eight singles of one value widen to one vector of doubles. The rows
// after the last whole block go as one more block, its loads and stores masked to its rows; a
// masked load or store never touches the rows it leaves out.
#define PLASHBOX_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl")))

// Which rows of a block a kernel reads and writes: all eight, or the first few.
struct TWholeBlock {};
struct TPartBlock {
  __mmask8 Rows;  // bit k for row y + k
};
inline TPartBlock FirstRows(int32_t N) { return TPartBlock{static_cast<__mmask8>((1u << N) - 1)}; }

PLASHBOX_AVX512 inline __m256 Load8(const float* Values, TWholeBlock) { return _mm256_loadu_ps(Values); }
PLASHBOX_AVX512 inline __m256 Load8(const float* Values, TPartBlock B) { return _mm256_maskz_loadu_ps(B.Rows, Values); }
PLASHBOX_AVX512 inline void Store8(float* Values, __m256 Singles, TWholeBlock) { _mm256_storeu_ps(Values, Singles); }
PLASHBOX_AVX512 inline void Store8(float* Values, __m256 Singles, TPartBlock B) {
  _mm256_mask_storeu_ps(Values, B.Rows, Singles);
}
PLASHBOX_AVX512 inline void Store8(uint32_t* Pixels, __m256i Values, TWholeBlock) {
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(Pixels), Values);
}
PLASHBOX_AVX512 inline void Store8(uint32_t* Pixels, __m256i Values, TPartBlock B) {
  _mm256_mask_storeu_epi32(Pixels, B.Rows, Values);
}
template <class TRows>
PLASHBOX_AVX512 inline __m512d Wide8(const float* Values, TRows Rows) {
  return _mm512_cvtps_pd(Load8(Values, Rows));
}
PLASHBOX_AVX512 inline __m512d Load8(const double* Values, TWholeBlock) { return _mm512_loadu_pd(Values); }
PLASHBOX_AVX512 inline __m512d Load8(const double* Values, TPartBlock B) {
  return _mm512_maskz_loadu_pd(B.Rows, Values);
}

// Eight rows of a medium value as doubles: widened from the singles, or, where the columns share
// the grid's medium (WideMedium), loaded as the doubles the grid keeps of it. The widening is a
// good part of the step's work, and the two give the same values.
template <bool WideMedium, class TRows>
PLASHBOX_AVX512 inline __m512d Medium8(const float* Singles, const double* Doubles, int32_t y, TRows Rows) {
  if constexpr (WideMedium)
    return Load8(Doubles + y, Rows);
  else
    return Wide8(Singles + y, Rows);
}

// Colours eight freshly updated cells (rows y .. y+7) into their pixels.
template <class TRows>
PLASHBOX_AVX512 inline void ColourBlock(__m256 Displacements, __m256 SpeedFactors, const TColouring& Paint,
                                        uint32_t* Pixels, TRows Rows) {
  const __m256 t = _mm512_cvtpd_ps(_mm512_mul_pd(
      _mm512_add_pd(_mm512_cvtps_pd(Displacements), _mm512_set1_pd(Paint.Exposure)), _mm512_set1_pd(Paint.Scale)));
  // Clamped before rounding, as ColourByte does: max(t, 0) turns a NaN into 0 too.
  const __m256 redClamped = _mm256_min_ps(_mm256_max_ps(t, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
  const __m256i red = _mm256_cvtps_epi32(redClamped);
  // In open water (speed factor one half) 2 x t x s is t itself, exactly, so green and blue are
  // the red level and one byte shuffle spreads it; most blocks of most tanks are open water and
  // skip the doubles. (The rows a part block leaves out load as 0, which is not open water: such
  // a block takes the doubles.)
  const __m256 open = _mm256_cmp_ps(SpeedFactors, _mm256_set1_ps(OpenWaterSpeedFactor), _CMP_EQ_OQ);
  if (_mm256_movemask_ps(open) == 0xFF) {
    return Store8(Pixels, _mm256_shuffle_epi8(red, _mm256_broadcastsi128_si256(LanePattern(GreyFromRed))), Rows);
  }
  const __m512d g =
      _mm512_mul_pd(_mm512_mul_pd(_mm512_set1_pd(2.0), _mm512_cvtps_pd(t)), _mm512_cvtps_pd(SpeedFactors));
  const __m256i green = _mm512_cvtpd_epi32(_mm512_min_pd(_mm512_max_pd(g, _mm512_setzero_pd()), _mm512_set1_pd(255.0)));
  Store8(Pixels, _mm256_or_si256(_mm256_slli_epi32(red, 16), _mm256_or_si256(_mm256_slli_epi32(green, 8), green)),
         Rows);
}

PLASHBOX_AVX512 void ColourColumnAVX512(const TConstWaterColumn& Column, int32_t H, const TColouring& Paint,
                                        uint32_t* Pixels) {
  int32_t y = 1;
  for (; y + 7 <= H - 2; y += 8)
    ColourBlock(Load8(Column.Displacement + y, TWholeBlock{}), Load8(Column.SpeedFactor + y, TWholeBlock{}), Paint,
                Pixels + y, TWholeBlock{});
  if (const int32_t n = H - 1 - y; n > 0)
    ColourBlock(Load8(Column.Displacement + y, FirstRows(n)), Load8(Column.SpeedFactor + y, FirstRows(n)), Paint,
                Pixels + y, FirstRows(n));
}

// A block's neighbours one row down and one row up: its own values shifted by a lane, the lane
// that falls off taken from the previous or the next block. Reading them shifted from memory
// instead would, where the block below was just displaced, give its new values.
PLASHBOX_AVX512 inline __m512d RowsBelow(__m512d Rows, __m512d Previous) {
  return _mm512_castsi512_pd(_mm512_alignr_epi64(_mm512_castpd_si512(Rows), _mm512_castpd_si512(Previous), 7));
}
PLASHBOX_AVX512 inline __m512d RowsAbove(__m512d Rows, __m512d Next) {
  return _mm512_castsi512_pd(_mm512_alignr_epi64(_mm512_castpd_si512(Next), _mm512_castpd_si512(Rows), 1));
}

// The displacements of the block after the whole block at row y as doubles: eight rows when
// they are all there, else the one row above the block in every lane.
PLASHBOX_AVX512 inline __m512d NextBlock(const float* Displacements, int32_t y, int32_t H) {
  return y + 15 < H ? Wide8(Displacements + y + 8, TWholeBlock{}) : _mm512_set1_pd(Displacements[y + 8]);
}

// The displacements of the part block at row y, the N rows up to H-2 and in lane N the row
// above them, so that RowsAbove(D, anything) holds the right neighbours of its N rows.
PLASHBOX_AVX512 inline __m512d PartBlock(const float* Displacements, int32_t y, int32_t N) {
  return Wide8(Displacements + y, FirstRows(N + 1));
}

// The new velocities of the block of Column at row y with displacements Centre: left + below +
// right + above - 4 x centre, in this order as UpdateVelocity adds them, then v + s x sum, as
// singles.
template <bool WideMedium, class TRows>
PLASHBOX_AVX512 inline __m256 Velocities(const TWaveColumn& Column, int32_t y, TRows Rows, __m512d Left,
                                         __m512d Below, __m512d Right, __m512d Above, __m512d Centre) {
  __m512d sum = _mm512_add_pd(Left, Below);
  sum = _mm512_add_pd(sum, Right);
  sum = _mm512_add_pd(sum, Above);
  // 4 x centre is exact in doubles, so subtracting it in one fused step rounds as the product
  // and the difference apart do.
  sum = _mm512_fnmadd_pd(_mm512_set1_pd(4.0), Centre, sum);
  return _mm512_cvtpd_ps(
      _mm512_add_pd(Wide8(Column.Velocity + y, Rows),
                    _mm512_mul_pd(Medium8<WideMedium>(Column.SpeedFactor, Column.WideSpeedFactor, y, Rows), sum)));
}

// (d + v) x damping of eight cells as singles, clamped; min(high, max(low, d)) keeps a NaN as
// it is, like the scalar comparisons.
PLASHBOX_AVX512 inline __m256 Displaced8(__m512d D, __m512d V, __m512d Damping) {
  return _mm256_min_ps(_mm256_set1_ps(DisplacementLimit),
                       _mm256_max_ps(_mm256_set1_ps(-DisplacementLimit),
                                     _mm512_cvtpd_ps(_mm512_mul_pd(_mm512_add_pd(D, V), Damping))));
}

// The displacement pass of the block of Column at row y (displacements D as doubles).
template <bool WideMedium, class TRows>
PLASHBOX_AVX512 inline void DisplaceBlock(const TWaveColumn& Column, int32_t y, TRows Rows, __m512d D) {
  Store8(Column.Displacement + y,
         Displaced8(D, Wide8(Column.Velocity + y, Rows),
                    Medium8<WideMedium>(Column.Damping, Column.WideDamping, y, Rows)),
         Rows);
}

// One block of the one-column step, its centre's neighbours below and above given.
template <class TRows>
PLASHBOX_AVX512 inline void StepBlock(const TWaveColumn& Left, const TWaveColumn& Centre,
                                      const TConstWaterColumn& Right, int32_t y, TRows Rows, __m512d Below,
                                      __m512d D, __m512d Above, bool DisplaceLeft) {
  const __m512d lD = Wide8(Left.Displacement + y, Rows), rD = Wide8(Right.Displacement + y, Rows);
  Store8(Centre.Velocity + y, Velocities<false>(Centre, y, Rows, lD, Below, rD, Above, D), Rows);
  if (DisplaceLeft) DisplaceBlock<false>(Left, y, Rows, lD);
}

// The kernels below take their columns by value: behind a reference the compiler would load
// their pointers anew after every store, not knowing that a store of a value cannot move them.
// They colour a column once its pass is done, from the first-level cache: within the pass, the
// colours would lengthen a chain of dependent steps that the processor cannot overlap.

PLASHBOX_AVX512 void StepColumnAVX512(const TWaveColumn& LeftColumn, const TWaveColumn& CentreColumn,
                                      const TConstWaterColumn& RightColumn, int32_t H, bool DisplaceLeft,
                                      const TColouring* Paint, uint32_t* LeftPixels) {
  if (H < 3) return;
  const TWaveColumn Left = LeftColumn, Centre = CentreColumn;
  const TConstWaterColumn Right = RightColumn;
  const float* d = Centre.Displacement;
  __m512d previous = _mm512_set1_pd(d[0]);
  int32_t y = 1;
  if (y + 7 <= H - 2) {
    __m512d cD = Wide8(d + 1, TWholeBlock{});
    for (; y + 7 <= H - 2; y += 8) {
      const __m512d next = NextBlock(d, y, H);
      StepBlock(Left, Centre, Right, y, TWholeBlock{}, RowsBelow(cD, previous), cD, RowsAbove(cD, next),
                DisplaceLeft);
      previous = cD;
      cD = next;
    }
  }
  if (const int32_t n = H - 1 - y; n > 0) {
    const __m512d cD = PartBlock(d, y, n);
    StepBlock(Left, Centre, Right, y, FirstRows(n), RowsBelow(cD, previous), cD, RowsAbove(cD, cD), DisplaceLeft);
  }
  if (DisplaceLeft && Paint) ColourColumnAVX512(Left, H, *Paint, LeftPixels);
}

// One block of the two-column step, the neighbours below and above of Centre and Next given.
template <bool WideMedium, class TRows>
PLASHBOX_AVX512 inline void StepTwoColumnsBlock(const TWaveColumn& Left, const TWaveColumn& Centre,
                                                const TWaveColumn& Next, const TConstWaterColumn& Right, int32_t y,
                                                TRows Rows, __m512d cBelow, __m512d cD, __m512d cAbove,
                                                __m512d nBelow, __m512d nD, __m512d nAbove, bool DisplaceLeft) {
  const __m512d lD = Wide8(Left.Displacement + y, Rows), rD = Wide8(Right.Displacement + y, Rows);
  const __m256 vC = Velocities<WideMedium>(Centre, y, Rows, lD, cBelow, nD, cAbove, cD);
  Store8(Next.Velocity + y, Velocities<WideMedium>(Next, y, Rows, cD, nBelow, rD, nAbove, nD), Rows);
  if (DisplaceLeft) DisplaceBlock<WideMedium>(Left, y, Rows, lD);
  // Centre's displacement from its velocity as just computed, a single.
  Store8(Centre.Velocity + y, vC, Rows);
  Store8(Centre.Displacement + y,
         Displaced8(cD, _mm512_cvtps_pd(vC), Medium8<WideMedium>(Centre.Damping, Centre.WideDamping, y, Rows)), Rows);
}

// The rows of the two-column step, the medium read as WideMedium says.
template <bool WideMedium>
PLASHBOX_AVX512 inline void StepTwoColumnsRows(const TWaveColumn& Left, const TWaveColumn& Centre,
                                               const TWaveColumn& Next, const TConstWaterColumn& Right, int32_t H,
                                               bool DisplaceLeft) {
  // As in the one-column kernel, the neighbours below and above come from the previous and the
  // next block in registers; Centre's stay there for Next's velocity too.
  const float *c = Centre.Displacement, *n = Next.Displacement;
  __m512d previousC = _mm512_set1_pd(c[0]), previousN = _mm512_set1_pd(n[0]);
  int32_t y = 1;
  if (y + 7 <= H - 2) {
    __m512d cD = Wide8(c + 1, TWholeBlock{}), nD = Wide8(n + 1, TWholeBlock{});
    for (; y + 7 <= H - 2; y += 8) {
      const __m512d cNext = NextBlock(c, y, H), nNext = NextBlock(n, y, H);
      StepTwoColumnsBlock<WideMedium>(Left, Centre, Next, Right, y, TWholeBlock{}, RowsBelow(cD, previousC), cD,
                                      RowsAbove(cD, cNext), RowsBelow(nD, previousN), nD, RowsAbove(nD, nNext),
                                      DisplaceLeft);
      previousC = cD;
      previousN = nD;
      cD = cNext;
      nD = nNext;
    }
  }
  if (const int32_t rows = H - 1 - y; rows > 0) {
    const __m512d cD = PartBlock(c, y, rows), nD = PartBlock(n, y, rows);
    StepTwoColumnsBlock<WideMedium>(Left, Centre, Next, Right, y, FirstRows(rows), RowsBelow(cD, previousC), cD,
                                    RowsAbove(cD, cD), RowsBelow(nD, previousN), nD, RowsAbove(nD, nD),
                                    DisplaceLeft);
  }
}

PLASHBOX_AVX512 void StepTwoColumnsAVX512(const TWaveColumn& LeftColumn, const TWaveColumn& CentreColumn,
                                          const TWaveColumn& NextColumn, const TConstWaterColumn& RightColumn,
                                          int32_t H, bool DisplaceLeft, const TColouring* Paint,
                                          uint32_t* LeftPixels, uint32_t* CentrePixels) {
  if (H < 3) return;
  const TWaveColumn Left = LeftColumn, Centre = CentreColumn, Next = NextColumn;
  const TConstWaterColumn Right = RightColumn;
  // Most pairs of most tanks lie in open water, where all three columns share the medium.
  if (PairSharesMedium(Left, Centre, Next, DisplaceLeft))
    StepTwoColumnsRows<true>(Left, Centre, Next, Right, H, DisplaceLeft);
  else
    StepTwoColumnsRows<false>(Left, Centre, Next, Right, H, DisplaceLeft);
  if (!Paint) return;
  if (DisplaceLeft) ColourColumnAVX512(Left, H, *Paint, LeftPixels);
  ColourColumnAVX512(Centre, H, *Paint, CentrePixels);
}

PLASHBOX_AVX512 void DisplaceColumnAVX512(const TWaveColumn& Column, int32_t H, const TColouring* Paint,
                                          uint32_t* Pixels) {
  int32_t y = 1;
  for (; y + 7 <= H - 2; y += 8)
    DisplaceBlock<false>(Column, y, TWholeBlock{}, Wide8(Column.Displacement + y, TWholeBlock{}));
  if (const int32_t n = H - 1 - y; n > 0)
    DisplaceBlock<false>(Column, y, FirstRows(n), Wide8(Column.Displacement + y, FirstRows(n)));
  if (Paint) ColourColumnAVX512(Column, H, *Paint, Pixels);
}

// The band is turned into rows sixteen columns by sixteen rows at a time, in registers: sixteen
// loads of one band column each, a transpose by unpacks and lane shuffles, then each row's
// three-byte pixels squeezed together within their 128-bit lanes and the lanes closed up, so
// that one masked store writes the row's run. Gathers across the band would cost more.
PLASHBOX_AVX512 inline void Transpose16(__m512i (&R)[16]) {
  __m512i t[16];
  // Unrolled, so that the whole block stays in the 32 registers.
#pragma GCC unroll 16
  for (int i = 0; i < 16; i += 2) {
    t[i] = _mm512_unpacklo_epi32(R[i], R[i + 1]);
    t[i + 1] = _mm512_unpackhi_epi32(R[i], R[i + 1]);
  }
#pragma GCC unroll 16
  for (int i = 0; i < 16; i += 4) {
    R[i] = _mm512_unpacklo_epi64(t[i], t[i + 2]);
    R[i + 1] = _mm512_unpackhi_epi64(t[i], t[i + 2]);
    R[i + 2] = _mm512_unpacklo_epi64(t[i + 1], t[i + 3]);
    R[i + 3] = _mm512_unpackhi_epi64(t[i + 1], t[i + 3]);
  }
#pragma GCC unroll 2
  for (int h = 0; h < 16; h += 8)
#pragma GCC unroll 4
    for (int i = 0; i < 4; ++i) {
      t[h + i] = _mm512_shuffle_i32x4(R[h + i], R[h + i + 4], 0x88);
      t[h + i + 4] = _mm512_shuffle_i32x4(R[h + i], R[h + i + 4], 0xDD);
    }
#pragma GCC unroll 8
  for (int i = 0; i < 8; ++i) {
    R[i] = _mm512_shuffle_i32x4(t[i], t[i + 8], 0x88);
    R[i + 8] = _mm512_shuffle_i32x4(t[i], t[i + 8], 0xDD);
  }
}

PLASHBOX_AVX512 void WriteBandAVX512(const uint32_t* Band, int32_t Stride, int32_t Columns, int32_t H,
                                     TPixelColor* const* Rows, int32_t X) {
  // The zero-masked broadcast, as the plain one trips GCC 12's false uninitialised warning.
  const __m512i squeeze = _mm512_maskz_broadcast_i32x4(static_cast<__mmask16>(0xFFFF), LanePattern(SqueezePixels));
  const __m512i closeUp = _mm512_set_epi32(15, 15, 15, 15, 14, 13, 12, 10, 9, 8, 6, 5, 4, 2, 1, 0);
  for (int32_t c = 0; c < Columns; c += 16) {
    const int32_t n = std::min(Columns - c, 16);
    const auto bytes = static_cast<__mmask64>((uint64_t{1} << (3 * n)) - 1);
    for (int32_t y = 1; y < H - 1; y += 16) {
      // A band column is padded past its last row, so all sixteen rows can be read.
      __m512i r[16];
#pragma GCC unroll 16
      for (int32_t i = 0; i < 16; ++i)
        r[i] = i < n ? _mm512_loadu_si512(Band + size_t(c + i) * size_t(Stride) + y) : _mm512_setzero_si512();
      Transpose16(r);
      const int32_t rows = std::min(H - 1 - y, 16);
#pragma GCC unroll 16
      for (int32_t j = 0; j < 16; ++j) {
        if (j == rows) break;
        const __m512i packed = _mm512_permutexvar_epi32(closeUp, _mm512_shuffle_epi8(r[j], squeeze));
        _mm512_mask_storeu_epi8(reinterpret_cast<uint8_t*>(Rows[y + j] + X + c), bytes, packed);
      }
    }
  }
}

// A band of StreamColumns columns from a multiple of them into a picture whose rows start on
// cache lines, with stores that go past the caches: a big picture is not read again before
// the next step, and a store that fills a whole line need not fetch it first. Two bands make
// three whole lines of every row: the first band stores its first line and keeps the second
// half of its next in Carry (eight pixels' worth a row, index y x 8), which the second band
// completes. The transposed blocks give runs of twelve of sixteen double words; the lines are
// picked from them and from Carry by two-source permutes.
alignas(64) constexpr int32_t FirstLine[16] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 16, 17, 18, 20};
alignas(64) constexpr int32_t CarriedHalf[16] = {5, 6, 8, 9, 10, 12, 13, 14, 0, 0, 0, 0, 0, 0, 0, 0};
alignas(64) constexpr int32_t MiddleLine[16] = {0, 1, 2, 3, 4, 5, 6, 7, 16, 17, 18, 20, 21, 22, 24, 25};
alignas(64) constexpr int32_t LastLine[16] = {10, 12, 13, 14, 16, 17, 18, 20, 21, 22, 24, 25, 26, 28, 29, 30};

PLASHBOX_AVX512 inline __m512i Indices(const int32_t (&Values)[16]) { return _mm512_load_si512(Values); }

PLASHBOX_AVX512 void StreamBandAVX512(const uint32_t* Band, int32_t Stride, int32_t H, TPixelColor* const* Rows,
                                      int32_t X, uint32_t* Carry) {
  const __m512i squeeze = _mm512_maskz_broadcast_i32x4(static_cast<__mmask16>(0xFFFF), LanePattern(SqueezePixels));
  const bool firstOfTwo = FirstOfStreamedPair(X);
  __m512i left[16];  // the rows of the band's left sixteen columns, squeezed
  for (int32_t y = 1; y < H - 1; y += 16) {
    const int32_t rows = std::min(H - 1 - y, 16);
    __m512i r[16];
#pragma GCC unroll 16
    for (int32_t i = 0; i < 16; ++i) r[i] = _mm512_loadu_si512(Band + size_t(i) * size_t(Stride) + y);
    Transpose16(r);
#pragma GCC unroll 16
    for (int32_t j = 0; j < 16; ++j) left[j] = _mm512_shuffle_epi8(r[j], squeeze);
#pragma GCC unroll 16
    for (int32_t i = 0; i < 16; ++i) r[i] = _mm512_loadu_si512(Band + size_t(16 + i) * size_t(Stride) + y);
    Transpose16(r);
    for (int32_t j = 0; j < rows; ++j) {
      const __m512i right = _mm512_shuffle_epi8(r[j], squeeze);
      auto* run = reinterpret_cast<uint8_t*>(Rows[y + j] + X);
      uint32_t* carried = Carry + size_t(y + j) * CarryValues;
      if (firstOfTwo) {
        const __m512i first = _mm512_permutex2var_epi32(left[j], Indices(FirstLine), right);
        _mm512_stream_si512(reinterpret_cast<__m512i*>(run), first);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(carried),
                            _mm512_castsi512_si256(_mm512_permutexvar_epi32(Indices(CarriedHalf), right)));
      } else {
        // The run starts half a line in: the line it completes, then the last one.
        const __m512i half = _mm512_castsi256_si512(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(carried)));
        const __m512i middle = _mm512_permutex2var_epi32(half, Indices(MiddleLine), left[j]);
        const __m512i last = _mm512_permutex2var_epi32(left[j], Indices(LastLine), right);
        _mm512_stream_si512(reinterpret_cast<__m512i*>(run - 32), middle);
        _mm512_stream_si512(reinterpret_cast<__m512i*>(run + 32), last);
      }
    }
  }
  // Streaming stores are ordered by nothing else: the picture is whole before the sweep returns.
  _mm_sfence();
}

const TStepKernels AVX512Kernels{&StepColumnAVX512,     &DisplaceColumnAVX512, &ColourColumnAVX512, &WriteBandAVX512,
                                 &StepTwoColumnsAVX512, &StreamBandAVX512,     "avx512"};

#endif  // PLASHBOX_X86

#if defined(__wasm_simd128__)

// WebAssembly's 128-bit vectors, two rows at a time: two singles of one value widen to two
// doubles. The arithmetic is the plain loop's, operation for operation, so the bits are too. The
// centre's neighbours below and above are read shifted by a row, which this kernel never stores.
inline v128_t Wide2(const float* Values) { return wasm_f64x2_promote_low_f32x4(wasm_v128_load64_zero(Values)); }
inline void Store2(float* Values, v128_t Singles) { wasm_v128_store64_lane(Values, Singles, 0); }

// (d + v) x damping of two cells as singles, clamped by comparison, so that a NaN stays one.
inline v128_t Displaced2(v128_t D, v128_t V, v128_t Damping) {
  const v128_t d = wasm_f32x4_demote_f64x2_zero(wasm_f64x2_mul(wasm_f64x2_add(D, V), Damping));
  const v128_t limit = wasm_f32x4_splat(DisplacementLimit), low = wasm_f32x4_splat(-DisplacementLimit);
  const v128_t capped = wasm_v128_bitselect(limit, d, wasm_f32x4_gt(d, limit));
  return wasm_v128_bitselect(low, capped, wasm_f32x4_lt(capped, low));
}

void StepColumnWasm(const TWaveColumn& Left, const TWaveColumn& Centre, const TConstWaterColumn& Right, int32_t H,
                    bool DisplaceLeft, const TColouring* Paint, uint32_t* LeftPixels) {
  if (H < 3) return;
  const float *d = Centre.Displacement, *l = Left.Displacement, *r = Right.Displacement;
  const v128_t four = wasm_f64x2_splat(4.0);
  int32_t y = 1;
  for (; y + 1 <= H - 2; y += 2) {
    const v128_t lD = Wide2(l + y);
    // Left + below + right + above - 4 x centre, in this order, as UpdateVelocity adds them.
    const v128_t laplace = wasm_f64x2_sub(
        wasm_f64x2_add(wasm_f64x2_add(wasm_f64x2_add(lD, Wide2(d + y - 1)), Wide2(r + y)), Wide2(d + y + 1)),
        wasm_f64x2_mul(four, Wide2(d + y)));
    const v128_t v = wasm_f64x2_add(Wide2(Centre.Velocity + y), wasm_f64x2_mul(Wide2(Centre.SpeedFactor + y), laplace));
    Store2(Centre.Velocity + y, wasm_f32x4_demote_f64x2_zero(v));
    if (DisplaceLeft) Store2(Left.Displacement + y, Displaced2(lD, Wide2(Left.Velocity + y), Wide2(Left.Damping + y)));
  }
  for (; y < H - 1; ++y) {
    UpdateVelocity(Left, Centre, Right, y);
    if (DisplaceLeft) UpdateDisplacement(Left, y);
  }
  if (DisplaceLeft && Paint) ColourCells(Left, 1, H, *Paint, LeftPixels);
}

void DisplaceColumnWasm(const TWaveColumn& Column, int32_t H, const TColouring* Paint, uint32_t* Pixels) {
  int32_t y = 1;
  for (; y + 1 <= H - 2; y += 2)
    Store2(Column.Displacement + y,
           Displaced2(Wide2(Column.Displacement + y), Wide2(Column.Velocity + y), Wide2(Column.Damping + y)));
  for (; y < H - 1; ++y) UpdateDisplacement(Column, y);
  if (Paint) ColourCells(Column, 1, H, *Paint, Pixels);
}

const TStepKernels WasmKernels{&StepColumnWasm, &DisplaceColumnWasm, &ColourColumnPortable, &WriteBandPortable, nullptr,
                               nullptr,         "wasm-simd128"};

#endif

const TStepKernels PortableKernels{&StepColumnPortable, &DisplaceColumnPortable, &ColourColumnPortable,
                                   &WriteBandPortable, nullptr, nullptr, "portable"};

}  // namespace

void WriteCarry(const uint32_t* Carry, int32_t H, TPixelColor* const* Rows, int32_t X) {
  for (int32_t y = 1; y < H - 1; ++y)
    std::memcpy(reinterpret_cast<uint8_t*>(Rows[y] + X) + CarriedFromByte, Carry + size_t(y) * CarryValues,
                CarryValues * sizeof(uint32_t));
}

TColouring MakeColouring(float Exposure) {
  if (!(Exposure > 0)) Exposure = MinimumExposure;
  return TColouring{double(Exposure), double(static_cast<float>(256.0 / (2.0 * Exposure)))};
}

std::vector<const TStepKernels*> AvailableStepKernels() {
  std::vector<const TStepKernels*> all{&PortableKernels};
#if PLASHBOX_X86
  if (__builtin_cpu_supports("avx2")) all.push_back(&AVX2Kernels);
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl"))
    all.push_back(&AVX512Kernels);
#endif
#if defined(__wasm_simd128__)
  all.push_back(&WasmKernels);
#endif
  return all;
}

const TStepKernels& BestStepKernels() {
  static const TStepKernels* const best = AvailableStepKernels().back();
  return *best;
}

}  // namespace plashbox::detail
