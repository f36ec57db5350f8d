// frame/: the window's logic without a window, shared by every front end and the tests.
// A picture as plain RGB bytes, rows from the top: the one form in which the tank's surface
// leaves the program (PPM, PNG, GIF and JPEG all start from it).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace plashbox {

class TFastDIB;

// Width x Height pixels, rows from the top, three bytes per pixel in the order red, green, blue,
// no padding between rows.
struct TRgbPicture {
  int32_t Width = 0;
  int32_t Height = 0;
  std::vector<uint8_t> Rgb;

  bool operator==(const TRgbPicture&) const = default;
};

// The surface is a bottom-up 24-bit DIB (its last row is the top line of the picture).
TRgbPicture SurfaceAsRgb(const TFastDIB& Surface);

// Binary PPM (P6) with a maximum value of 255.
std::string EncodePpm(const TRgbPicture& Picture);

}  // namespace plashbox
