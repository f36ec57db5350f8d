// frame/: the window's logic without a window, shared by every front end and the tests.
// A picture held as JPEG bytes, read and written with libjpeg. Knows no toolkit: the splash
// window wraps the decoded bytes for display and the build's artwork generator writes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <vector>

#include "frame/RgbPicture.h"

namespace plashbox {

using TJpegPicture = TRgbPicture;

// Raised for bytes that are not a complete, readable JPEG picture (libjpeg's own message after
// "JPEG: "), and for a picture that cannot be written.
class EJpegError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Pictures larger than this many pixels are refused before any memory is taken for them.
inline constexpr int64_t MaxJpegPixels = int64_t{1} << 26;

// Greyscale pictures come back as RGB. Anything libjpeg warns about (a truncated stream, a
// damaged block) is an error here too: a picture is either read whole or not at all.
TJpegPicture DecodeJpeg(std::span<const uint8_t> Bytes);

// Quality 1 .. 100 (values outside are clamped). Raises for a picture whose size does not
// match its bytes.
std::vector<uint8_t> EncodeJpeg(const TJpegPicture& Picture, int Quality);

}  // namespace plashbox
