// frame/: the window's logic without a window, shared by every front end and the tests.
// A picture written as PNG with libpng, for the driver's --frame. Knows no toolkit: the window
// saves its pictures through Qt.
#pragma once

#include <stdexcept>
#include <string>

#include "frame/RgbPicture.h"

namespace plashbox {

// Raised for a picture that cannot be written (libpng's own message after "PNG: ").
class EPngError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The whole file: 8-bit RGB, no interlacing, no gamma or time chunks, so the same picture is
// always the same bytes.
std::string EncodePng(const TRgbPicture& Picture);

// True for a file name that ends in ".png", in any case: the driver writes PNG for it.
bool IsPngFileName(const std::string& FileName);

}  // namespace plashbox
