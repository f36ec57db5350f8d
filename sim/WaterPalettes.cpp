#include "sim/WaterPalettes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "raster/FastDIB.h"
#include "text/TextCatalogue.h"

namespace plashbox::detail {

namespace {

struct TRgb {
  double Red, Green, Blue;
};

struct TStop {
  double At;  // 0 .. 1 along the levels
  TRgb Colour;
};

// A colour ramp through its stops, linear between them.
TRgb Ramp(const std::vector<TStop>& Stops, double Level) {
  if (Level <= Stops.front().At) return Stops.front().Colour;
  for (size_t i = 1; i < Stops.size(); ++i) {
    const TStop &a = Stops[i - 1], &b = Stops[i];
    if (Level > b.At) continue;
    const double f = (Level - a.At) / (b.At - a.At);
    return {a.Colour.Red + f * (b.Colour.Red - a.Colour.Red), a.Colour.Green + f * (b.Colour.Green - a.Colour.Green),
            a.Colour.Blue + f * (b.Colour.Blue - a.Colour.Blue)};
  }
  return Stops.back().Colour;
}

double Luminance(const TRgb& C) { return 0.3 * C.Red + 0.59 * C.Green + 0.11 * C.Blue; }

uint8_t Byte(double Value) {
  if (!(Value > 0)) return 0;
  if (Value >= 255) return 255;
  return static_cast<uint8_t>(std::lrint(Value));
}

// How a scheme draws: its ramp of heights and the casts of slower and of faster water.
struct TSchemeRule {
  std::vector<TStop> Stops;
  TRgb Slower, Faster;
  double Strength;  // the largest share of the cast, for the strongest contrast of media
  double Floor;     // a cast kept even where the ramp is black, so a medium shows at a node
};

// The medium's cast grows with how far G strays from R: the ratio G/R is twice the speed
// factor over open water's, 1 in open water.
uint32_t Colour(const TSchemeRule& S, int32_t R, int32_t G) {
  const TRgb base = Ramp(S.Stops, R / 255.0);
  const double ratio = R > 0 ? double(G) / R : (G > 0 ? 2.0 : 1.0);
  const double away = std::min(1.0, 1.2 * std::abs(1.0 - ratio));
  const double share = away * S.Strength;
  const TRgb& cast = ratio < 1 ? S.Slower : S.Faster;
  const double gain = (Luminance(base) + S.Floor) / Luminance(cast);
  const auto mix = [&](double B, double C) { return B * (1 - share) + C * gain * share; };
  return TPixelColor::FromRGB(Byte(mix(base.Red, cast.Red)), Byte(mix(base.Green, cast.Green)),
                              Byte(mix(base.Blue, cast.Blue)))
      .Value();
}

std::vector<uint32_t> MakeTable(const TSchemeRule& S) {
  std::vector<uint32_t> table(256 * 256);
  for (int32_t r = 0; r < 256; ++r)
    for (int32_t g = 0; g < 256; ++g) table[size_t(r) * 256 + size_t(g)] = Colour(S, r, g);
  return table;
}

const TSchemeRule BlueWater{
    {{0, {0, 10, 40}}, {0.35, {10, 60, 130}}, {0.5, {25, 100, 170}}, {0.65, {90, 180, 230}}, {1, {230, 250, 255}}},
    {230, 170, 60},
    {70, 200, 110},
    0.7,
    6};
// Signed heights: troughs blue, still water white, crests red, full well before the exposure's
// ends, since most waves are far smaller than the exposure.
const TSchemeRule BlueWhiteRed{
    {{0, {20, 40, 140}}, {0.3, {40, 90, 220}}, {0.5, {245, 245, 245}}, {0.7, {220, 40, 40}}, {1, {120, 10, 20}}},
    {90, 170, 80},
    {150, 80, 190},
    0.6,
    6};
// A steep grey for pale projector pictures, with strong casts.
const TSchemeRule HighContrast{{{0, {0, 0, 0}}, {0.25, {0, 0, 0}}, {0.75, {255, 255, 255}}, {1, {255, 255, 255}}},
                               {255, 200, 0},
                               {0, 200, 255},
                               0.8,
                               10};
const TSchemeRule Intensity{
    {{0, {0, 0, 4}}, {0.25, {87, 16, 110}}, {0.5, {188, 55, 84}}, {0.75, {249, 142, 9}}, {1, {252, 255, 164}}},
    {60, 190, 230},
    {120, 230, 120},
    0.45,
    30};

}  // namespace

const uint32_t* SchemeTable(int32_t Scheme) {
  // Asked for on every step: the grey picture, the usual one, never builds the tables.
  if (Scheme <= csGrey || Scheme >= ColourSchemeCount) return nullptr;
  static const std::array<std::vector<uint32_t>, ColourSchemeCount> tables{
      std::vector<uint32_t>{}, MakeTable(BlueWater), MakeTable(BlueWhiteRed), MakeTable(HighContrast)};
  return tables[size_t(Scheme)].data();
}

const uint32_t* IntensityTable() {
  static const std::vector<uint32_t> table = MakeTable(Intensity);
  return table.data();
}

}  // namespace plashbox::detail

namespace plashbox {

std::string ColourSchemeCaption(int32_t Scheme) {
  static constexpr const char* Keys[ColourSchemeCount] = {"colours.grey", "colours.blue_water", "colours.blue_white_red",
                                                          "colours.high_contrast"};
  return Scheme >= 0 && Scheme < ColourSchemeCount ? TextOf(Keys[Scheme]) : std::string();
}

}  // namespace plashbox
