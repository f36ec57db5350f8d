#include "frame/RgbPicture.h"

#include "raster/FastDIB.h"

namespace plashbox {

TRgbPicture SurfaceAsRgb(const TFastDIB& Surface) {
  TRgbPicture out{Surface.Width(), Surface.AbsHeight(), {}};
  out.Rgb.resize(size_t(out.Width) * size_t(out.Height) * 3);
  uint8_t* to = out.Rgb.data();
  for (int32_t row = out.Height - 1; row >= 0; --row) {  // the top line of the picture is the last row
    const TPixelColor* from = Surface.Rows24()[row];
    for (int32_t x = 0; x < out.Width; ++x, to += 3) {
      to[0] = from[x].Red;
      to[1] = from[x].Green;
      to[2] = from[x].Blue;
    }
  }
  return out;
}

std::string EncodePpm(const TRgbPicture& Picture) {
  std::string out = "P6\n" + std::to_string(Picture.Width) + " " + std::to_string(Picture.Height) + "\n255\n";
  out.append(Picture.Rgb.begin(), Picture.Rgb.end());
  return out;
}

}  // namespace plashbox
