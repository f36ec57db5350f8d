#include "frame/PngPicture.h"

#include <png.h>

#include <algorithm>
#include <cctype>
#include <csetjmp>

namespace plashbox {

namespace {

// libpng's errors jump back to the call that started the work, past frames that hold no C++
// objects; the message is kept for the exception raised there.
struct TWriter {
  png_structp Png = nullptr;
  png_infop Info = nullptr;
  std::string Out;
  std::string Message;
  ~TWriter() { png_destroy_write_struct(&Png, &Info); }
};

[[noreturn]] void ErrorExit(png_structp Png, png_const_charp Message) {
  auto* writer = static_cast<TWriter*>(png_get_error_ptr(Png));
  writer->Message = Message;
  png_longjmp(Png, 1);
}

void Warning(png_structp, png_const_charp) {}

void Append(png_structp Png, png_bytep Data, size_t Length) {
  static_cast<TWriter*>(png_get_io_ptr(Png))->Out.append(reinterpret_cast<const char*>(Data), Length);
}

void Flush(png_structp) {}

bool RunWriter(TWriter& W, const TRgbPicture& Picture) {
  if (setjmp(png_jmpbuf(W.Png))) return false;
  png_set_write_fn(W.Png, &W, Append, Flush);
  png_set_IHDR(W.Png, W.Info, png_uint_32(Picture.Width), png_uint_32(Picture.Height), 8, PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(W.Png, W.Info);
  const size_t rowBytes = size_t(Picture.Width) * 3;
  for (int32_t y = 0; y < Picture.Height; ++y)
    png_write_row(W.Png, Picture.Rgb.data() + rowBytes * size_t(y));
  png_write_end(W.Png, nullptr);
  return true;
}

}  // namespace

std::string EncodePng(const TRgbPicture& Picture) {
  if (Picture.Width <= 0 || Picture.Height <= 0)
    throw EPngError("PNG: cannot write a picture of " + std::to_string(Picture.Width) + " x " +
                    std::to_string(Picture.Height) + " pixels");
  if (Picture.Rgb.size() != size_t(Picture.Width) * size_t(Picture.Height) * 3)
    throw EPngError("PNG: the picture's bytes do not match its size");
  TWriter writer;
  writer.Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &writer, ErrorExit, Warning);
  if (writer.Png) writer.Info = png_create_info_struct(writer.Png);
  if (!writer.Png || !writer.Info) throw EPngError("PNG: out of memory");
  if (!RunWriter(writer, Picture)) throw EPngError("PNG: " + writer.Message);
  return std::move(writer.Out);
}

bool IsPngFileName(const std::string& FileName) {
  if (FileName.size() < 4) return false;
  std::string ending = FileName.substr(FileName.size() - 4);
  std::transform(ending.begin(), ending.end(), ending.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return ending == ".png";
}

}  // namespace plashbox
