#include "sim/WaterStepKernels.h"

#include <algorithm>
#include <cstdint>
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

void StepColumnPortable(TWaterCell* Left, TWaterCell* Centre, const TWaterCell* Right, int32_t H,
                        bool DisplaceLeft, const TColouring* Paint, uint32_t* LeftPixels) {
  if (H < 3) return;
  // The centre's displacements move down through registers: the compiler cannot tell that
  // the velocity stores leave them alone, and would load each of them three times.
  double below = Centre[0].Displacement, centre = Centre[1].Displacement;
  for (int32_t y = 1; y < H - 1; ++y) {
    const double above = Centre[y + 1].Displacement;
    // Left + below + right + above - 4 x centre, in this order, as UpdateVelocity adds them.
    const double laplace = double(Left[y].Displacement) + below + double(Right[y].Displacement) + above - 4.0 * centre;
    Centre[y].Velocity = static_cast<float>(double(Centre[y].Velocity) + double(Centre[y].SpeedFactor) * laplace);
    below = centre;
    centre = above;
    if (!DisplaceLeft) continue;
    UpdateDisplacement(Left[y]);
    if (Paint) LeftPixels[y] = CellColour(Left[y], *Paint).Value();
  }
}

void DisplaceColumnPortable(TWaterCell* Column, int32_t H, const TColouring* Paint, uint32_t* Pixels) {
  for (int32_t y = 1; y < H - 1; ++y) {
    UpdateDisplacement(Column[y]);
    if (Paint) Pixels[y] = CellColour(Column[y], *Paint).Value();
  }
}

void ColourColumnPortable(const TWaterCell* Column, int32_t H, const TColouring& Paint, uint32_t* Pixels) {
  ColourCells(Column, 1, H, Paint, Pixels);
}

void WriteBandPortable(const uint32_t* Band, int32_t Stride, int32_t Columns, int32_t H, TPixelColor* const* Rows,
                       int32_t X) {
  for (int32_t y = 1; y < H - 1; ++y) {
    TPixelColor* row = Rows[y] + X;
    const uint32_t* pixels = Band + y;
    for (int32_t c = 0; c < Columns; ++c) row[c] = TPixelColor::FromValue(pixels[size_t(c) * size_t(Stride)]);
  }
}

#if PLASHBOX_X86

// Eight cells at a time, two to a 256-bit load. Transposing inside each 128-bit half puts one
// field of the eight cells into one vector in the row order y, y+2, y+4, y+6 | y+1, y+3, y+5,
// y+7, so that the even rows and the odd rows each widen to one vector of doubles. Then the
// neighbours above the even rows are the odd rows themselves and the neighbours below the odd
// rows are the even rows; only the other two need a one-lane shift.
#define PLASHBOX_AVX2 __attribute__((target("avx2")))

struct TFields8 {
  __m256 D, V, S, M;
};

PLASHBOX_AVX2 inline TFields8 Load8(const TWaterCell* c) {
  const __m256 a = _mm256_loadu_ps(&c[0].Displacement), b = _mm256_loadu_ps(&c[2].Displacement);
  const __m256 e = _mm256_loadu_ps(&c[4].Displacement), f = _mm256_loadu_ps(&c[6].Displacement);
  const __m256 t0 = _mm256_unpacklo_ps(a, b), t1 = _mm256_unpackhi_ps(a, b);
  const __m256 t2 = _mm256_unpacklo_ps(e, f), t3 = _mm256_unpackhi_ps(e, f);
  return TFields8{_mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0)), _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2)),
                  _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0)), _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2))};
}

PLASHBOX_AVX2 inline __m256 LoadDisplacements8(const TWaterCell* c) {
  const __m256 t0 = _mm256_unpacklo_ps(_mm256_loadu_ps(&c[0].Displacement), _mm256_loadu_ps(&c[2].Displacement));
  const __m256 t2 = _mm256_unpacklo_ps(_mm256_loadu_ps(&c[4].Displacement), _mm256_loadu_ps(&c[6].Displacement));
  return _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
}

PLASHBOX_AVX2 inline __m256d EvenRows(__m256 Field) { return _mm256_cvtps_pd(_mm256_castps256_ps128(Field)); }
PLASHBOX_AVX2 inline __m256d OddRows(__m256 Field) { return _mm256_cvtps_pd(_mm256_extractf128_ps(Field, 1)); }
PLASHBOX_AVX2 inline __m256 Rows8(__m256d Even, __m256d Odd) {
  return _mm256_set_m128(_mm256_cvtpd_ps(Odd), _mm256_cvtpd_ps(Even));
}

// Writes Values (in the transposed row order) into field Lane of the eight cells at c, whose
// records are still in Cells.
template <int Lane>
PLASHBOX_AVX2 inline void Store8(TWaterCell* c, const TFields8& Cells, __m256 Values) {
  constexpr int blend = (1 << Lane) | (1 << (Lane + 4));
  // Cell pair k takes element k of each half.
  const __m256 f0 = _mm256_permute_ps(Values, 0x00), f1 = _mm256_permute_ps(Values, 0x55);
  const __m256 f2 = _mm256_permute_ps(Values, 0xAA), f3 = _mm256_permute_ps(Values, 0xFF);
  // Records of the pairs back from the transposed fields.
  const __m256 t0 = _mm256_unpacklo_ps(Cells.D, Cells.V), t1 = _mm256_unpackhi_ps(Cells.D, Cells.V);
  const __m256 t2 = _mm256_unpacklo_ps(Cells.S, Cells.M), t3 = _mm256_unpackhi_ps(Cells.S, Cells.M);
  const __m256 r0 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0)), r1 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
  const __m256 r2 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0)), r3 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));
  _mm256_storeu_ps(&c[0].Displacement, _mm256_blend_ps(r0, f0, blend));
  _mm256_storeu_ps(&c[2].Displacement, _mm256_blend_ps(r1, f1, blend));
  _mm256_storeu_ps(&c[4].Displacement, _mm256_blend_ps(r2, f2, blend));
  _mm256_storeu_ps(&c[6].Displacement, _mm256_blend_ps(r3, f3, blend));
}

// (d + v) x damping of eight cells, clamped; min(high, max(low, d)) keeps a NaN as it is, like
// the scalar comparisons.
PLASHBOX_AVX2 inline __m256 Displaced8(const TFields8& c) {
  const __m256d even = _mm256_mul_pd(_mm256_add_pd(EvenRows(c.D), EvenRows(c.V)), EvenRows(c.M));
  const __m256d odd = _mm256_mul_pd(_mm256_add_pd(OddRows(c.D), OddRows(c.V)), OddRows(c.M));
  return _mm256_min_ps(_mm256_set1_ps(DisplacementLimit),
                       _mm256_max_ps(_mm256_set1_ps(-DisplacementLimit), Rows8(even, odd)));
}

PLASHBOX_AVX2 void StepColumnAVX2(TWaterCell* Left, TWaterCell* Centre, const TWaterCell* Right, int32_t H,
                                  bool DisplaceLeft, const TColouring* Paint, uint32_t* LeftPixels) {
  const __m256d four = _mm256_set1_pd(4.0);
  int32_t y = 1;
  // Lane 0 holds the displacement of the row below the block: the odd rows of the previous
  // block, turned by one lane, carried in a register rather than read back from the cells
  // just stored.
  __m256d belowCarry = _mm256_set1_pd(Centre[0].Displacement);
  for (; y + 7 <= H - 2; y += 8) {
    const TFields8 c = Load8(Centre + y);
    const __m256d cE = EvenRows(c.D), cO = OddRows(c.D);
    const __m256d turnedO = _mm256_permute4x64_pd(cO, _MM_SHUFFLE(2, 1, 0, 3));
    const __m256d belowE = _mm256_blend_pd(turnedO, belowCarry, 0b0001);
    const __m256d aboveO = _mm256_blend_pd(_mm256_permute4x64_pd(cE, _MM_SHUFFLE(0, 3, 2, 1)),
                                           _mm256_set1_pd(Centre[y + 8].Displacement), 0b1000);
    belowCarry = turnedO;

    const TFields8 l = Load8(Left + y);
    const __m256 r = LoadDisplacements8(Right + y);

    // Left + below + right + above - 4 x centre, in this order, then v += s x sum.
    __m256d sumE = _mm256_add_pd(_mm256_add_pd(_mm256_add_pd(EvenRows(l.D), belowE), EvenRows(r)), cO);
    __m256d sumO = _mm256_add_pd(_mm256_add_pd(_mm256_add_pd(OddRows(l.D), cE), OddRows(r)), aboveO);
    sumE = _mm256_sub_pd(sumE, _mm256_mul_pd(four, cE));
    sumO = _mm256_sub_pd(sumO, _mm256_mul_pd(four, cO));
    const __m256d vE = _mm256_add_pd(EvenRows(c.V), _mm256_mul_pd(EvenRows(c.S), sumE));
    const __m256d vO = _mm256_add_pd(OddRows(c.V), _mm256_mul_pd(OddRows(c.S), sumO));
    Store8<1>(Centre + y, c, Rows8(vE, vO));

    if (DisplaceLeft) Store8<0>(Left + y, l, Displaced8(l));
  }
  for (; y < H - 1; ++y) {
    UpdateVelocity(Left, Centre, Right, y);
    if (DisplaceLeft) UpdateDisplacement(Left[y]);
  }
  if (DisplaceLeft && Paint) ColourCells(Left, 1, H, *Paint, LeftPixels);  // the column is still in the cache
}

PLASHBOX_AVX2 void DisplaceColumnAVX2(TWaterCell* Column, int32_t H, const TColouring* Paint, uint32_t* Pixels) {
  int32_t y = 1;
  for (; y + 7 <= H - 2; y += 8) {
    const TFields8 c = Load8(Column + y);
    Store8<0>(Column + y, c, Displaced8(c));
  }
  for (; y < H - 1; ++y) UpdateDisplacement(Column[y]);
  if (Paint) ColourCells(Column, 1, H, *Paint, Pixels);
}

const TStepKernels AVX2Kernels{&StepColumnAVX2, &DisplaceColumnAVX2, &ColourColumnPortable, &WriteBandPortable,
                               nullptr, "avx2"};

// Eight cells at a time. Each field of eight cells is gathered from two 512-bit loads by one
// two-source permute and written back by one masked permute per four cells.
#define PLASHBOX_AVX512 __attribute__((target("avx512f,avx512bw")))

PLASHBOX_AVX512 inline __m512d Field(__m512 FirstFour, __m512 NextFour, __m512i Pick) {
  return _mm512_cvtps_pd(_mm512_castps512_ps256(_mm512_permutex2var_ps(FirstFour, Pick, NextFour)));
}

PLASHBOX_AVX512 inline __m512 Load4(const TWaterCell* c) { return _mm512_loadu_ps(&c->Displacement); }

// Puts Values (eight singles) into field Lane of the eight cells at c.
PLASHBOX_AVX512 inline void StoreField(TWaterCell* c, __m512 FirstFour, __m512 NextFour, __m256 Values, int Lane) {
  const __mmask16 lanes = static_cast<__mmask16>(0x1111 << Lane);
  const __m512 v = _mm512_castps256_ps512(Values);
  const __m512i low = _mm512_set_epi32(3, 3, 3, 3, 2, 2, 2, 2, 1, 1, 1, 1, 0, 0, 0, 0);
  const __m512i high = _mm512_add_epi32(low, _mm512_set1_epi32(4));
  _mm512_storeu_ps(&c[0].Displacement, _mm512_mask_permutexvar_ps(FirstFour, lanes, low, v));
  _mm512_storeu_ps(&c[4].Displacement, _mm512_mask_permutexvar_ps(NextFour, lanes, high, v));
}

// Field Pick of eight cells as singles, as they are stored.
PLASHBOX_AVX512 inline __m256 Singles(__m512 FirstFour, __m512 NextFour, __m512i Pick) {
  return _mm512_castps512_ps256(_mm512_permutex2var_ps(FirstFour, Pick, NextFour));
}

// Colours eight freshly updated cells (rows y .. y+7) into their pixels.
PLASHBOX_AVX512 inline void ColourBlock(__m256 Displacements, __m256 SpeedFactors, const TColouring& Paint,
                                        uint32_t* Pixels) {
  const __m256 t = _mm512_cvtpd_ps(_mm512_mul_pd(
      _mm512_add_pd(_mm512_cvtps_pd(Displacements), _mm512_set1_pd(Paint.Exposure)), _mm512_set1_pd(Paint.Scale)));
  // Clamped before rounding, as ColourByte does: max(t, 0) turns a NaN into 0 too.
  const __m256 redClamped = _mm256_min_ps(_mm256_max_ps(t, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
  const __m256i red = _mm256_cvtps_epi32(redClamped);
  __m256i green = red;
  // In open water (speed factor one half) 2 x t x s is t itself, exactly, so green and blue are
  // the red level; most blocks of most tanks are open water and skip the doubles.
  const __m256 open = _mm256_cmp_ps(SpeedFactors, _mm256_set1_ps(OpenWaterSpeedFactor), _CMP_EQ_OQ);
  if (_mm256_movemask_ps(open) != 0xFF) {
    const __m512d g =
        _mm512_mul_pd(_mm512_mul_pd(_mm512_set1_pd(2.0), _mm512_cvtps_pd(t)), _mm512_cvtps_pd(SpeedFactors));
    green = _mm512_cvtpd_epi32(_mm512_min_pd(_mm512_max_pd(g, _mm512_setzero_pd()), _mm512_set1_pd(255.0)));
  }
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(Pixels),
                      _mm256_or_si256(_mm256_slli_epi32(red, 16), _mm256_or_si256(_mm256_slli_epi32(green, 8), green)));
}

// The right-hand column is the one read from memory for the first time; once a tank outgrows the
// second-level cache, asking for it 4 KB ahead (two cache lines a block) makes the plain step
// half as fast again or more. A prefetch never faults, so the address may run past the column.
inline void PrefetchAhead(const TWaterCell* Cells) {
  constexpr uintptr_t ahead = 4096;
  const uintptr_t at = reinterpret_cast<uintptr_t>(Cells) + ahead;
  _mm_prefetch(reinterpret_cast<const char*>(at), _MM_HINT_T0);
  _mm_prefetch(reinterpret_cast<const char*>(at + 64), _MM_HINT_T0);
}

// Which singles of two 512-bit loads (four cells each) make up each field of the eight cells.
struct TPicks {
  __m512i D, V, S, M;
};

PLASHBOX_AVX512 inline TPicks FieldPicks() {
  const __m512i d = _mm512_set_epi32(0, 0, 0, 0, 0, 0, 0, 0, 28, 24, 20, 16, 12, 8, 4, 0);
  return {d, _mm512_add_epi32(d, _mm512_set1_epi32(1)), _mm512_add_epi32(d, _mm512_set1_epi32(2)),
          _mm512_add_epi32(d, _mm512_set1_epi32(3))};
}

// A block's neighbours one row down and one row up: its own values shifted by a lane, the lane
// that falls off taken from the previous or the next block.
PLASHBOX_AVX512 inline __m512d RowsBelow(__m512d Rows, __m512d Previous) {
  return _mm512_castsi512_pd(_mm512_alignr_epi64(_mm512_castpd_si512(Rows), _mm512_castpd_si512(Previous), 7));
}
PLASHBOX_AVX512 inline __m512d RowsAbove(__m512d Rows, __m512d Next) {
  return _mm512_castsi512_pd(_mm512_alignr_epi64(_mm512_castpd_si512(Next), _mm512_castpd_si512(Rows), 1));
}

// The new velocities of the eight cells c0, c1 with displacements Centre: left + below + right +
// above - 4 x centre, in this order as UpdateVelocity adds them, then v + s x sum, as singles.
PLASHBOX_AVX512 inline __m256 Velocities(__m512 c0, __m512 c1, const TPicks& P, __m512d Left, __m512d Below,
                                         __m512d Right, __m512d Above, __m512d Centre) {
  __m512d sum = _mm512_add_pd(Left, Below);
  sum = _mm512_add_pd(sum, Right);
  sum = _mm512_add_pd(sum, Above);
  sum = _mm512_sub_pd(sum, _mm512_mul_pd(_mm512_set1_pd(4.0), Centre));
  return _mm512_cvtpd_ps(_mm512_add_pd(Field(c0, c1, P.V), _mm512_mul_pd(Field(c0, c1, P.S), sum)));
}

// (d + v) x damping of eight cells as singles, clamped; min(high, max(low, d)) keeps a NaN as
// it is, like the scalar comparisons.
PLASHBOX_AVX512 inline __m256 Displaced(__m512d D, __m512d V, __m512d Damping) {
  return _mm256_min_ps(_mm256_set1_ps(DisplacementLimit),
                       _mm256_max_ps(_mm256_set1_ps(-DisplacementLimit),
                                     _mm512_cvtpd_ps(_mm512_mul_pd(_mm512_add_pd(D, V), Damping))));
}

// The displacement pass of the eight cells of Column from row y (records c0, c1, displacements
// D as doubles), coloured into Pixels[y] on when Paint is given (Pixels is nil without).
PLASHBOX_AVX512 inline void DisplaceBlock(TWaterCell* Column, int32_t y, __m512 c0, __m512 c1, __m512d D,
                                          const TPicks& P, const TColouring* Paint, uint32_t* Pixels) {
  const __m256 d = Displaced(D, Field(c0, c1, P.V), Field(c0, c1, P.M));
  StoreField(Column + y, c0, c1, d, 0);
  if (Paint) ColourBlock(d, Singles(c0, c1, P.S), *Paint, Pixels + y);
}

// The scalar rows after the last whole block: displacement, then colour.
inline void DisplaceCells(TWaterCell* Column, int32_t From, int32_t H, const TColouring* Paint, uint32_t* Pixels) {
  for (int32_t y = From; y < H - 1; ++y) {
    UpdateDisplacement(Column[y]);
    if (Paint) Pixels[y] = CellColour(Column[y], *Paint).Value();
  }
}

PLASHBOX_AVX512 void StepColumnAVX512(TWaterCell* Left, TWaterCell* Centre, const TWaterCell* Right, int32_t H,
                                      bool DisplaceLeft, const TColouring* Paint, uint32_t* LeftPixels) {
  const TPicks P = FieldPicks();
  int32_t y = 1;
  if (y + 7 <= H - 2) {
    // The centre's neighbours below and above are the centre displacements shifted by one row,
    // taken from the previous and the next block in registers. Reloading them from memory would
    // read across the block just stored and stall on the store.
    __m512d previousD = _mm512_set1_pd(Centre[0].Displacement);
    __m512 c0 = Load4(Centre + y), c1 = Load4(Centre + y + 4);
    __m512d cD = Field(c0, c1, P.D);
    for (; y + 7 <= H - 2; y += 8) {
      __m512 n0 = c0, n1 = c1;
      __m512d nextD;
      if (y + 15 < H) {
        n0 = Load4(Centre + y + 8);
        n1 = Load4(Centre + y + 12);
        nextD = Field(n0, n1, P.D);
      } else {
        nextD = _mm512_set1_pd(Centre[y + 8].Displacement);
      }
      PrefetchAhead(Right + y);
      const __m512 l0 = Load4(Left + y), l1 = Load4(Left + y + 4);
      const __m512d lD = Field(l0, l1, P.D);
      const __m512d rD = Field(Load4(Right + y), Load4(Right + y + 4), P.D);
      StoreField(Centre + y, c0, c1, Velocities(c0, c1, P, lD, RowsBelow(cD, previousD), rD, RowsAbove(cD, nextD), cD),
                 1);
      if (DisplaceLeft) DisplaceBlock(Left, y, l0, l1, lD, P, Paint, LeftPixels);
      previousD = cD;
      cD = nextD;
      c0 = n0;
      c1 = n1;
    }
  }
  for (int32_t row = y; row < H - 1; ++row) UpdateVelocity(Left, Centre, Right, row);
  if (DisplaceLeft) DisplaceCells(Left, y, H, Paint, LeftPixels);
}

// Puts Displacements and Velocities (eight singles each) into fields 0 and 1 of the eight cells
// at c, whose records are FirstFour and NextFour.
PLASHBOX_AVX512 inline void StoreMotion(TWaterCell* c, __m512 FirstFour, __m512 NextFour, __m256 Displacements,
                                        __m256 Velocities) {
  const __mmask16 lanes = 0x3333;
  const __m512 both = _mm512_castpd_ps(
      _mm512_insertf64x4(_mm512_castps_pd(_mm512_castps256_ps512(Displacements)), _mm256_castps_pd(Velocities), 1));
  // Cell k takes element k as its displacement and element 8 + k as its velocity.
  const __m512i low = _mm512_set_epi32(0, 0, 11, 3, 0, 0, 10, 2, 0, 0, 9, 1, 0, 0, 8, 0);
  const __m512i high = _mm512_add_epi32(low, _mm512_set1_epi32(4));
  _mm512_storeu_ps(&c[0].Displacement, _mm512_mask_permutexvar_ps(FirstFour, lanes, low, both));
  _mm512_storeu_ps(&c[4].Displacement, _mm512_mask_permutexvar_ps(NextFour, lanes, high, both));
}

PLASHBOX_AVX512 void StepTwoColumnsAVX512(TWaterCell* Left, TWaterCell* Centre, TWaterCell* Next,
                                          const TWaterCell* Right, int32_t H, bool DisplaceLeft,
                                          const TColouring* Paint, uint32_t* LeftPixels, uint32_t* CentrePixels) {
  if (H < 3) return;
  const TPicks P = FieldPicks();
  const int32_t tail = 1 + (H - 2) / 8 * 8;  // the first row after the last whole block
  // The velocities of the rows after the last block come first: the blocks move Centre's
  // displacements, which these rows read from memory as their neighbours below.
  for (int32_t y = tail; y < H - 1; ++y) {
    UpdateVelocity(Left, Centre, Next, y);
    UpdateVelocity(Centre, Next, Right, y);
  }
  if (tail > 1) {
    // As in the one-column kernel, the neighbours below and above come from the previous and
    // the next block in registers; Centre's stay there for Next's velocity too.
    __m512d previousC = _mm512_set1_pd(Centre[0].Displacement), previousN = _mm512_set1_pd(Next[0].Displacement);
    __m512 c0 = Load4(Centre + 1), c1 = Load4(Centre + 5), n0 = Load4(Next + 1), n1 = Load4(Next + 5);
    __m512d cD = Field(c0, c1, P.D), nD = Field(n0, n1, P.D);
    for (int32_t y = 1; y < tail; y += 8) {
      __m512 c0Next = c0, c1Next = c1, n0Next = n0, n1Next = n1;
      __m512d cDNext, nDNext;
      if (y + 15 < H) {
        c0Next = Load4(Centre + y + 8);
        c1Next = Load4(Centre + y + 12);
        n0Next = Load4(Next + y + 8);
        n1Next = Load4(Next + y + 12);
        cDNext = Field(c0Next, c1Next, P.D);
        nDNext = Field(n0Next, n1Next, P.D);
      } else {
        cDNext = _mm512_set1_pd(Centre[y + 8].Displacement);
        nDNext = _mm512_set1_pd(Next[y + 8].Displacement);
      }
      PrefetchAhead(Right + y);
      const __m512 l0 = Load4(Left + y), l1 = Load4(Left + y + 4);
      const __m512d lD = Field(l0, l1, P.D);
      const __m512d rD = Field(Load4(Right + y), Load4(Right + y + 4), P.D);

      const __m256 vC = Velocities(c0, c1, P, lD, RowsBelow(cD, previousC), nD, RowsAbove(cD, cDNext), cD);
      const __m256 vN = Velocities(n0, n1, P, cD, RowsBelow(nD, previousN), rD, RowsAbove(nD, nDNext), nD);
      StoreField(Next + y, n0, n1, vN, 1);
      if (DisplaceLeft) DisplaceBlock(Left, y, l0, l1, lD, P, Paint, LeftPixels);
      // Centre's displacement from its velocity as just stored, a single.
      const __m256 dC = Displaced(cD, _mm512_cvtps_pd(vC), Field(c0, c1, P.M));
      StoreMotion(Centre + y, c0, c1, dC, vC);
      if (Paint) ColourBlock(dC, Singles(c0, c1, P.S), *Paint, CentrePixels + y);

      previousC = cD;
      previousN = nD;
      cD = cDNext;
      nD = nDNext;
      c0 = c0Next;
      c1 = c1Next;
      n0 = n0Next;
      n1 = n1Next;
    }
  }
  if (DisplaceLeft) DisplaceCells(Left, tail, H, Paint, LeftPixels);
  DisplaceCells(Centre, tail, H, Paint, CentrePixels);
}

PLASHBOX_AVX512 void DisplaceColumnAVX512(TWaterCell* Column, int32_t H, const TColouring* Paint, uint32_t* Pixels) {
  const TPicks P = FieldPicks();
  int32_t y = 1;
  for (; y + 7 <= H - 2; y += 8) {
    const __m512 c0 = Load4(Column + y), c1 = Load4(Column + y + 4);
    DisplaceBlock(Column, y, c0, c1, Field(c0, c1, P.D), P, Paint, Pixels);
  }
  DisplaceCells(Column, y, H, Paint, Pixels);
}

PLASHBOX_AVX512 void ColourColumnAVX512(const TWaterCell* Column, int32_t H, const TColouring& Paint, uint32_t* Pixels) {
  const TPicks P = FieldPicks();
  int32_t y = 1;
  for (; y + 7 <= H - 2; y += 8) {
    const __m512 c0 = Load4(Column + y), c1 = Load4(Column + y + 4);
    ColourBlock(Singles(c0, c1, P.D), Singles(c0, c1, P.S), Paint, Pixels + y);
  }
  ColourCells(Column, y, H, Paint, Pixels);
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
  const __m512i squeeze = _mm512_maskz_broadcast_i32x4(
      static_cast<__mmask16>(0xFFFF), _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
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

const TStepKernels AVX512Kernels{&StepColumnAVX512, &DisplaceColumnAVX512, &ColourColumnAVX512, &WriteBandAVX512,
                                 &StepTwoColumnsAVX512, "avx512"};

#endif  // PLASHBOX_X86

#if defined(__wasm_simd128__)

// WebAssembly's 128-bit vectors, two rows at a time: a cell is one vector of its four fields,
// a field of two cells is picked by one shuffle and widened to two doubles. The arithmetic is
// the plain loop's, operation for operation, so the bits are too.
struct TPair {
  v128_t Low, High;  // the cells of rows y and y+1
};

inline TPair LoadPair(const TWaterCell* c) {
  return {wasm_v128_load(&c[0].Displacement), wasm_v128_load(&c[1].Displacement)};
}

template <int Lane>
inline v128_t Field2(const TPair& P) {
  return wasm_f64x2_promote_low_f32x4(wasm_i32x4_shuffle(P.Low, P.High, Lane, Lane + 4, Lane, Lane + 4));
}

// Field Lane of both cells replaced by the two singles of Values (rounded from doubles).
template <int Lane>
inline void StoreField2(TWaterCell* c, const TPair& P, v128_t Values) {
  const v128_t v = wasm_f32x4_demote_f64x2_zero(Values);
  wasm_v128_store(&c[0].Displacement, wasm_i32x4_shuffle(P.Low, v, Lane == 0 ? 4 : 0, Lane == 1 ? 4 : 1,
                                                        Lane == 2 ? 4 : 2, Lane == 3 ? 4 : 3));
  wasm_v128_store(&c[1].Displacement, wasm_i32x4_shuffle(P.High, v, Lane == 0 ? 5 : 0, Lane == 1 ? 5 : 1,
                                                         Lane == 2 ? 5 : 2, Lane == 3 ? 5 : 3));
}

// UpdateDisplacement of both cells: the clamp by comparison, so that a NaN stays one.
inline v128_t Displaced2(const TPair& P) {
  const v128_t d = wasm_f32x4_demote_f64x2_zero(
      wasm_f64x2_mul(wasm_f64x2_add(Field2<0>(P), Field2<1>(P)), Field2<3>(P)));
  const v128_t limit = wasm_f32x4_splat(DisplacementLimit), low = wasm_f32x4_splat(-DisplacementLimit);
  const v128_t capped = wasm_v128_bitselect(limit, d, wasm_f32x4_gt(d, limit));
  return wasm_f64x2_promote_low_f32x4(wasm_v128_bitselect(low, capped, wasm_f32x4_lt(capped, low)));
}

void StepColumnWasm(TWaterCell* Left, TWaterCell* Centre, const TWaterCell* Right, int32_t H, bool DisplaceLeft,
                    const TColouring* Paint, uint32_t* LeftPixels) {
  if (H < 3) return;
  const v128_t four = wasm_f64x2_splat(4.0);
  int32_t y = 1;
  for (; y + 1 <= H - 2; y += 2) {
    const TPair l = LoadPair(Left + y), c = LoadPair(Centre + y), r = LoadPair(Right + y);
    const TPair below = LoadPair(Centre + y - 1), above = LoadPair(Centre + y + 1);
    // Left + below + right + above - 4 x centre, in this order, as UpdateVelocity adds them.
    const v128_t laplace = wasm_f64x2_sub(
        wasm_f64x2_add(wasm_f64x2_add(wasm_f64x2_add(Field2<0>(l), Field2<0>(below)), Field2<0>(r)), Field2<0>(above)),
        wasm_f64x2_mul(four, Field2<0>(c)));
    StoreField2<1>(Centre + y, c, wasm_f64x2_add(Field2<1>(c), wasm_f64x2_mul(Field2<2>(c), laplace)));
    if (DisplaceLeft) StoreField2<0>(Left + y, l, Displaced2(l));
  }
  for (; y < H - 1; ++y) {
    UpdateVelocity(Left, Centre, Right, y);
    if (DisplaceLeft) UpdateDisplacement(Left[y]);
  }
  if (DisplaceLeft && Paint) ColourCells(Left, 1, H, *Paint, LeftPixels);
}

void DisplaceColumnWasm(TWaterCell* Column, int32_t H, const TColouring* Paint, uint32_t* Pixels) {
  int32_t y = 1;
  for (; y + 1 <= H - 2; y += 2) {
    const TPair c = LoadPair(Column + y);
    StoreField2<0>(Column + y, c, Displaced2(c));
  }
  for (; y < H - 1; ++y) UpdateDisplacement(Column[y]);
  if (Paint) ColourCells(Column, 1, H, *Paint, Pixels);
}

const TStepKernels WasmKernels{&StepColumnWasm, &DisplaceColumnWasm, &ColourColumnPortable, &WriteBandPortable, nullptr,
                               "wasm-simd128"};

#endif

const TStepKernels PortableKernels{&StepColumnPortable, &DisplaceColumnPortable, &ColourColumnPortable,
                                   &WriteBandPortable, nullptr, "portable"};

}  // namespace

TColouring MakeColouring(float Exposure) {
  if (!(Exposure > 0)) Exposure = MinimumExposure;
  return TColouring{double(Exposure), double(static_cast<float>(256.0 / (2.0 * Exposure)))};
}

std::vector<const TStepKernels*> AvailableStepKernels() {
  std::vector<const TStepKernels*> all{&PortableKernels};
#if PLASHBOX_X86
  if (__builtin_cpu_supports("avx2")) all.push_back(&AVX2Kernels);
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")) all.push_back(&AVX512Kernels);
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
