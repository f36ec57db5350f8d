#include "sim/WaterStepKernels.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
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

// Each vector variant is its lane types, what only its instruction set does (loads, widenings,
// masks, byte shuffles into pixels, transposes, streaming stores) and one inclusion of
// WaterStepPasses.inc, which holds the arithmetic of every pass for all of them. The x86 ones
// are compiled in regions for their instruction set, so that the passes' templates, defined
// there, inline the lane types' operations; the program picks a variant at run time.

namespace plashbox::detail {

namespace {

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

const TStepKernels PortableKernels{&scalar::StepColumn<TScalarLanes>, &scalar::DisplaceColumn<TScalarLanes>,
                                   &scalar::ColourColumn<TScalarLanes>, &WriteBandPortable, nullptr, nullptr,
                                   "portable"};

#if PLASHBOX_X86

// The byte shuffles, per 128-bit lane, that make pixels: a grey pixel from a red level in the
// low byte of each of four 32-bit lanes; and four packed pixels squeezed into twelve bytes.
alignas(16) constexpr int8_t GreyFromRed[16] = {0, 0, 0, -1, 4, 4, 4, -1, 8, 8, 8, -1, 12, 12, 12, -1};
alignas(16) constexpr int8_t SqueezePixels[16] = {0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1};
inline __m128i LanePattern(const int8_t (&Bytes)[16]) {
  return _mm_load_si128(reinterpret_cast<const __m128i*>(Bytes));
}

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif

namespace avx2 {

// Eight cells' colours at a time: their heights as two vectors of four doubles, each widened
// from a load of four singles.
struct TColourLanes {
  static constexpr int32_t Lanes = 8;
  static constexpr bool PartBlocks = false;
  struct TDoubles {
    __m256d Low, High;
  };
  using Singles = __m256;
  using Doubles = TDoubles;
  using Pixels = __m256i;
  struct TWhole {};

  static __m256d Wide4(const float* Values) { return _mm256_cvtps_pd(_mm_loadu_ps(Values)); }
  static TDoubles Wide(const float* Values, TWhole) { return {Wide4(Values), Wide4(Values + 4)}; }
  static __m256 Load(const float* Values, TWhole) { return _mm256_loadu_ps(Values); }
  static void Store(uint32_t* Pixels, __m256i Values, TWhole) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Pixels), Values);
  }
  static TDoubles Splat(double Value) { return {_mm256_set1_pd(Value), _mm256_set1_pd(Value)}; }
  static __m256 SplatSingles(float Value) { return _mm256_set1_ps(Value); }
  static TDoubles Add(TDoubles A, TDoubles B) { return {_mm256_add_pd(A.Low, B.Low), _mm256_add_pd(A.High, B.High)}; }
  static TDoubles Mul(TDoubles A, TDoubles B) { return {_mm256_mul_pd(A.Low, B.Low), _mm256_mul_pd(A.High, B.High)}; }
  static __m256 Narrow(TDoubles Values) {
    return _mm256_set_m128(_mm256_cvtpd_ps(Values.High), _mm256_cvtpd_ps(Values.Low));
  }
  static TDoubles Widen(__m256 Values) {
    return {_mm256_cvtps_pd(_mm256_castps256_ps128(Values)), _mm256_cvtps_pd(_mm256_extractf128_ps(Values, 1))};
  }
  static __m256 MinSingles(__m256 A, __m256 B) { return _mm256_min_ps(A, B); }
  static __m256 MaxSingles(__m256 A, __m256 B) { return _mm256_max_ps(A, B); }
  static TDoubles MinDoubles(TDoubles A, TDoubles B) {
    return {_mm256_min_pd(A.Low, B.Low), _mm256_min_pd(A.High, B.High)};
  }
  static TDoubles MaxDoubles(TDoubles A, TDoubles B) {
    return {_mm256_max_pd(A.Low, B.Low), _mm256_max_pd(A.High, B.High)};
  }
  static __m256i RoundSingles(__m256 Levels) { return _mm256_cvtps_epi32(Levels); }
  static __m256i RoundDoubles(TDoubles Levels) {
    return _mm256_set_m128i(_mm256_cvtpd_epi32(Levels.High), _mm256_cvtpd_epi32(Levels.Low));
  }
  static bool AllOpenWater(__m256 SpeedFactors) {
    return _mm256_movemask_ps(_mm256_cmp_ps(SpeedFactors, _mm256_set1_ps(OpenWaterSpeedFactor), _CMP_EQ_OQ)) == 0xFF;
  }
  static __m256i Grey(__m256i Red) {
    return _mm256_shuffle_epi8(Red, _mm256_broadcastsi128_si256(LanePattern(GreyFromRed)));
  }
  static __m256i Pack(__m256i Red, __m256i Green) {
    return _mm256_or_si256(_mm256_slli_epi32(Red, 16), _mm256_or_si256(_mm256_slli_epi32(Green, 8), Green));
  }
};

// Four rows of the step at a time. The column that is displaced as the two-column step goes
// keeps its rows below in a register; the others are read shifted from memory.
struct TLanes {
  static constexpr int32_t Lanes = 4;
  static constexpr bool PartBlocks = false;
  static constexpr bool ReadsWideMedium = true;
  static constexpr TNeighbourReads FixedReads = TNeighbourReads::Memory;
  static constexpr TNeighbourReads MovedReads = TNeighbourReads::ShiftedSingles;
  using Singles = __m128;
  using Doubles = __m256d;
  using TColourLanes = avx2::TColourLanes;
  struct TWhole {};

  static __m256d Wide(const float* Values, TWhole) { return _mm256_cvtps_pd(_mm_loadu_ps(Values)); }
  static __m128 Load(const float* Values, TWhole) { return _mm_loadu_ps(Values); }
  static __m256d Load(const double* Values, TWhole) { return _mm256_loadu_pd(Values); }
  static void Store(float* Values, __m128 Singles, TWhole) { _mm_storeu_ps(Values, Singles); }
  static __m256d Splat(double Value) { return _mm256_set1_pd(Value); }
  static __m128 SplatSingles(float Value) { return _mm_set1_ps(Value); }
  static __m256d Add(__m256d A, __m256d B) { return _mm256_add_pd(A, B); }
  static __m256d Mul(__m256d A, __m256d B) { return _mm256_mul_pd(A, B); }
  static __m256d LessFourTimes(__m256d Sum, __m256d Centre) {
    return _mm256_sub_pd(Sum, _mm256_mul_pd(_mm256_set1_pd(4.0), Centre));
  }
  static __m128 Narrow(__m256d Values) { return _mm256_cvtpd_ps(Values); }
  static __m256d Widen(__m128 Values) { return _mm256_cvtps_pd(Values); }
  static __m128 MinSingles(__m128 A, __m128 B) { return _mm_min_ps(A, B); }
  static __m128 MaxSingles(__m128 A, __m128 B) { return _mm_max_ps(A, B); }
  // Rows y-1 .. y+2 from the block at y and the one before it.
  static __m128 SinglesBelow(__m128 Current, __m128 Previous) {
    return _mm_castsi128_ps(_mm_alignr_epi8(_mm_castps_si128(Current), _mm_castps_si128(Previous), 12));
  }
  static float LastSingle(__m128 Values) { return _mm_cvtss_f32(_mm_shuffle_ps(Values, Values, 3)); }
};

#include "sim/WaterStepPasses.inc"

// Twelve bytes of a vector to To, as a run of eight and one of four.
inline void Write12(uint8_t* To, __m128i Bytes) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(To), Bytes);
  const int32_t last = _mm_cvtsi128_si32(_mm_srli_si128(Bytes, 8));
  std::memcpy(To + 8, &last, 4);
}

// Eight columns by eight rows of a band (column c at Band + c x Stride, rows y .. y+7) turned
// into rows: eight loads of one band column each, a transpose by unpacks and lane swaps, then
// each row's three-byte pixels squeezed together within the two lanes, so that row j holds
// its first four pixels in the low twelve bytes of the low lane, the other four in the high's.
inline void TransposeBlockAVX2(const uint32_t* Band, int32_t Stride, int32_t y, __m256i (&Rows)[8]) {
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
void WriteBandAVX2(const uint32_t* Band, int32_t Stride, int32_t Columns, int32_t H,
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
void StreamBandAVX2(const uint32_t* Band, int32_t Stride, int32_t H, TPixelColor* const* Rows,
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

const TStepKernels Kernels{&StepColumn<TLanes>,     &DisplaceColumn<TLanes>, &ColourColumn<TLanes>, &WriteBandAVX2,
                           &StepTwoColumns<TLanes>, &StreamBandAVX2,         "avx2"};

}  // namespace avx2

#if defined(__clang__)
#pragma clang attribute pop
#pragma clang attribute push(__attribute__((target("avx512f,avx512bw,avx512vl"))), apply_to = function)
#else
#pragma GCC pop_options
#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vl")
#endif

namespace avx512 {

// Eight rows at a time: eight singles of one value widen to one vector of doubles. The rows
// after the last whole block go as one more block, its loads and stores masked to its rows; a
// masked load or store never touches the rows it leaves out. The neighbours below and above
// are the blocks' own values shifted by a lane: reading them shifted from memory instead
// would, where the block below was just displaced, give its new values.
struct TLanes {
  static constexpr int32_t Lanes = 8;
  static constexpr bool PartBlocks = true;
  static constexpr bool ReadsWideMedium = true;
  static constexpr TNeighbourReads FixedReads = TNeighbourReads::Registers;
  static constexpr TNeighbourReads MovedReads = TNeighbourReads::Registers;
  using Singles = __m256;
  using Doubles = __m512d;
  using Pixels = __m256i;
  using TColourLanes = TLanes;
  struct TWhole {};
  struct TPart {
    __mmask8 Rows;  // bit k for row y + k
  };
  static TPart FirstRows(int32_t N) { return TPart{static_cast<__mmask8>((1u << N) - 1)}; }

  static __m256 Load(const float* Values, TWhole) { return _mm256_loadu_ps(Values); }
  static __m256 Load(const float* Values, TPart B) { return _mm256_maskz_loadu_ps(B.Rows, Values); }
  static __m512d Load(const double* Values, TWhole) { return _mm512_loadu_pd(Values); }
  static __m512d Load(const double* Values, TPart B) { return _mm512_maskz_loadu_pd(B.Rows, Values); }
  template <class TRows>
  static __m512d Wide(const float* Values, TRows Rows) {
    return _mm512_cvtps_pd(Load(Values, Rows));
  }
  static void Store(float* Values, __m256 Singles, TWhole) { _mm256_storeu_ps(Values, Singles); }
  static void Store(float* Values, __m256 Singles, TPart B) { _mm256_mask_storeu_ps(Values, B.Rows, Singles); }
  static void Store(uint32_t* Pixels, __m256i Values, TWhole) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(Pixels), Values);
  }
  static void Store(uint32_t* Pixels, __m256i Values, TPart B) { _mm256_mask_storeu_epi32(Pixels, B.Rows, Values); }
  static __m512d Splat(double Value) { return _mm512_set1_pd(Value); }
  static __m256 SplatSingles(float Value) { return _mm256_set1_ps(Value); }
  static __m512d Add(__m512d A, __m512d B) { return _mm512_add_pd(A, B); }
  static __m512d Mul(__m512d A, __m512d B) { return _mm512_mul_pd(A, B); }
  // 4 x centre is exact in doubles, so subtracting it in one fused step rounds as the product
  // and the difference apart do.
  static __m512d LessFourTimes(__m512d Sum, __m512d Centre) {
    return _mm512_fnmadd_pd(_mm512_set1_pd(4.0), Centre, Sum);
  }
  static __m256 Narrow(__m512d Values) { return _mm512_cvtpd_ps(Values); }
  static __m512d Widen(__m256 Values) { return _mm512_cvtps_pd(Values); }
  static __m256 MinSingles(__m256 A, __m256 B) { return _mm256_min_ps(A, B); }
  static __m256 MaxSingles(__m256 A, __m256 B) { return _mm256_max_ps(A, B); }
  static __m512d MinDoubles(__m512d A, __m512d B) { return _mm512_min_pd(A, B); }
  static __m512d MaxDoubles(__m512d A, __m512d B) { return _mm512_max_pd(A, B); }
  static __m256i RoundSingles(__m256 Levels) { return _mm256_cvtps_epi32(Levels); }
  static __m256i RoundDoubles(__m512d Levels) { return _mm512_cvtpd_epi32(Levels); }
  // The rows a part block leaves out load as 0, which is not open water: such a block takes
  // the doubles.
  static bool AllOpenWater(__m256 SpeedFactors) {
    return _mm256_movemask_ps(_mm256_cmp_ps(SpeedFactors, _mm256_set1_ps(OpenWaterSpeedFactor), _CMP_EQ_OQ)) == 0xFF;
  }
  static __m256i Grey(__m256i Red) {
    return _mm256_shuffle_epi8(Red, _mm256_broadcastsi128_si256(LanePattern(GreyFromRed)));
  }
  static __m256i Pack(__m256i Red, __m256i Green) {
    return _mm256_or_si256(_mm256_slli_epi32(Red, 16), _mm256_or_si256(_mm256_slli_epi32(Green, 8), Green));
  }
  static __m512d RowsBelow(__m512d Rows, __m512d Previous) {
    return _mm512_castsi512_pd(_mm512_alignr_epi64(_mm512_castpd_si512(Rows), _mm512_castpd_si512(Previous), 7));
  }
  static __m512d RowsAbove(__m512d Rows, __m512d Next) {
    return _mm512_castsi512_pd(_mm512_alignr_epi64(_mm512_castpd_si512(Next), _mm512_castpd_si512(Rows), 1));
  }
};

#include "sim/WaterStepPasses.inc"

// The band is turned into rows sixteen columns by sixteen rows at a time, in registers: sixteen
// loads of one band column each, a transpose by unpacks and lane shuffles, then each row's
// three-byte pixels squeezed together within their 128-bit lanes and the lanes closed up, so
// that one masked store writes the row's run. Gathers across the band would cost more.
inline void Transpose16(__m512i (&R)[16]) {
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

void WriteBandAVX512(const uint32_t* Band, int32_t Stride, int32_t Columns, int32_t H,
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

inline __m512i Indices(const int32_t (&Values)[16]) { return _mm512_load_si512(Values); }

void StreamBandAVX512(const uint32_t* Band, int32_t Stride, int32_t H, TPixelColor* const* Rows,
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

const TStepKernels Kernels{&StepColumn<TLanes>,     &DisplaceColumn<TLanes>, &ColourColumn<TLanes>, &WriteBandAVX512,
                           &StepTwoColumns<TLanes>, &StreamBandAVX512,       "avx512"};

}  // namespace avx512

#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif  // PLASHBOX_X86

#if defined(__wasm_simd128__)

namespace wasm {

// WebAssembly's 128-bit vectors, two rows at a time: two singles of one value widen to two
// doubles, the singles in the low half of a vector. The neighbours below and above are read
// shifted from memory, so there is no two-column step; the colours go a cell at a time.
struct TLanes {
  static constexpr int32_t Lanes = 2;
  static constexpr bool PartBlocks = false;
  static constexpr bool ReadsWideMedium = false;
  static constexpr TNeighbourReads FixedReads = TNeighbourReads::Memory;
  using Singles = v128_t;
  using Doubles = v128_t;
  using TColourLanes = TScalarLanes;
  struct TWhole {};

  static v128_t Wide(const float* Values, TWhole) {
    return wasm_f64x2_promote_low_f32x4(wasm_v128_load64_zero(Values));
  }
  static void Store(float* Values, v128_t Singles, TWhole) { wasm_v128_store64_lane(Values, Singles, 0); }
  static v128_t Splat(double Value) { return wasm_f64x2_splat(Value); }
  static v128_t SplatSingles(float Value) { return wasm_f32x4_splat(Value); }
  static v128_t Add(v128_t A, v128_t B) { return wasm_f64x2_add(A, B); }
  static v128_t Mul(v128_t A, v128_t B) { return wasm_f64x2_mul(A, B); }
  static v128_t LessFourTimes(v128_t Sum, v128_t Centre) {
    return wasm_f64x2_sub(Sum, wasm_f64x2_mul(wasm_f64x2_splat(4.0), Centre));
  }
  static v128_t Narrow(v128_t Values) { return wasm_f32x4_demote_f64x2_zero(Values); }
  // pmin(B, A) is A < B ? A : B and pmax(B, A) is A > B ? A : B: B where either is NaN.
  static v128_t MinSingles(v128_t A, v128_t B) { return wasm_f32x4_pmin(B, A); }
  static v128_t MaxSingles(v128_t A, v128_t B) { return wasm_f32x4_pmax(B, A); }
};

#include "sim/WaterStepPasses.inc"

const TStepKernels Kernels{&StepColumn<TLanes>, &DisplaceColumn<TLanes>, &ColourColumn<TLanes>, &WriteBandPortable,
                           nullptr,             nullptr,                 "wasm-simd128"};

}  // namespace wasm

#endif

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
  if (__builtin_cpu_supports("avx2")) all.push_back(&avx2::Kernels);
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512vl"))
    all.push_back(&avx512::Kernels);
#endif
#if defined(__wasm_simd128__)
  all.push_back(&wasm::Kernels);
#endif
  return all;
}

const TStepKernels& BestStepKernels() {
  static const TStepKernels* const best = AvailableStepKernels().back();
  return *best;
}

}  // namespace plashbox::detail
