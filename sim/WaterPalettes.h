// sim/: the water scene with its step and picture, and the collection of scenes.
// The colour schemes of the tank's picture and the colour map of the intensity view.
//
// Every picture starts from two bytes per cell: the height level R (0 at the lowest height
// shown, 255 at the highest) and the medium level G, the same level times twice the cell's
// speed factor, so that G equals R in open water, is lower where the water is slower and
// higher where it is faster. The grey scheme shows them as they are (red R, green and blue G:
// open water grey, slow water red, fast water cyan) and is coloured by the step's own kernels.
// Every other scheme is a table of 256 x 256 colours indexed by R and G, applied to the packed
// pixels of a band just before they go to the picture; it keeps the same rule, a colour cast
// wherever the medium differs from open water, so blocks, lenses and prisms stay visible.
#pragma once

#include <cstdint>
#include <string>

namespace plashbox {

enum TColourScheme : int32_t { csGrey = 0, csBlueWater = 1, csBlueWhiteRed = 2, csHighContrast = 3 };
inline constexpr int32_t ColourSchemeCount = 4;
// The menu's caption of a scheme, in the current language; empty for no scheme.
std::string ColourSchemeCaption(int32_t Scheme);
// By scheme: the names in scene files and the driver's --set.
inline constexpr const char* ColourSchemeIdentifiers[ColourSchemeCount] = {"csGrey", "csBlueWater", "csBlueWhiteRed",
                                                                           "csHighContrast"};

namespace detail {

// 65,536 packed pixels (TPixelColor::Value), index R x 256 + G; nil for the grey scheme, whose
// pixels need no table. Built once, on first use, from double arithmetic rounded to the byte.
const uint32_t* SchemeTable(int32_t Scheme);
// The intensity view's map, from black at a node through purple and orange to pale yellow at
// the strongest antinode, with the same colour cast for the medium.
const uint32_t* IntensityTable();

// The pixels of a band column replaced by their colours in Table.
inline void MapPixels(uint32_t* Pixels, int32_t From, int32_t To, const uint32_t* Table) {
  for (int32_t y = From; y < To; ++y) {
    const uint32_t v = Pixels[y];
    Pixels[y] = Table[((v >> 8) & 0xFF00u) | ((v >> 8) & 0xFFu)];
  }
}

}  // namespace detail
}  // namespace plashbox
