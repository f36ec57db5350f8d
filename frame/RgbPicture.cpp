#include "frame/RgbPicture.h"

#include "raster/FastDIB.h"

namespace plashbox {

TRgbPicture SurfaceAsRgb(const TFastDIB& Surface) {
  TRgbPicture out{Surface.Width(), Surface.AbsHeight(), {}};
  out.Rgb.reserve(size_t(out.Width) * size_t(out.Height) * 3);
  for (int32_t row = out.Height - 1; row >= 0; --row)  // the top line of the picture is the last row
    for (int32_t x = 0; x < out.Width; ++x) {
      const TPixelColor p = Surface.Rows24()[row][x];
      out.Rgb.insert(out.Rgb.end(), {p.Red, p.Green, p.Blue});
    }
  return out;
}

std::string EncodePpm(const TRgbPicture& Picture) {
  std::string out = "P6\n" + std::to_string(Picture.Width) + " " + std::to_string(Picture.Height) + "\n255\n";
  out.append(Picture.Rgb.begin(), Picture.Rgb.end());
  return out;
}

}  // namespace plashbox
