#include "frame/JpegPicture.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>

// jpeglib.h wants FILE and size_t declared before it.
#include <jpeglib.h>

namespace plashbox {

namespace {

// libjpeg's own handler ends the process on any error. Ours records the message and jumps back
// to the call that started the work; the jump leaves only frames that hold no C++ objects.
struct TErrorManager {
  jpeg_error_mgr Base;  // first, so that libjpeg's pointer to it is a pointer to the whole
  std::jmp_buf Escape;
  char Message[JMSG_LENGTH_MAX];
};

[[noreturn]] void ErrorExit(j_common_ptr Info) {
  auto* errors = reinterpret_cast<TErrorManager*>(Info->err);
  (*Info->err->format_message)(Info, errors->Message);
  std::longjmp(errors->Escape, 1);
}

// Level -1 is a warning about damaged data, which would otherwise be patched over with grey;
// higher levels are trace messages, never wanted.
void EmitMessage(j_common_ptr Info, int Level) {
  if (Level < 0) ErrorExit(Info);
}

// Nothing is ever printed.
void OutputMessage(j_common_ptr) {}

jpeg_error_mgr* InstallErrorManager(TErrorManager& Errors) {
  jpeg_std_error(&Errors.Base);
  Errors.Base.error_exit = ErrorExit;
  Errors.Base.emit_message = EmitMessage;
  Errors.Base.output_message = OutputMessage;
  Errors.Message[0] = '\0';
  return &Errors.Base;
}

std::string ErrorText(const TErrorManager& Errors) { return std::string("JPEG: ") + Errors.Message; }

struct TDecoder {
  jpeg_decompress_struct Info{};
  TErrorManager Errors{};
  TDecoder() { Info.err = InstallErrorManager(Errors); }
  ~TDecoder() { jpeg_destroy_decompress(&Info); }
  TDecoder(const TDecoder&) = delete;
  TDecoder& operator=(const TDecoder&) = delete;
};

struct TEncoder {
  jpeg_compress_struct Info{};
  TErrorManager Errors{};
  unsigned char* Buffer = nullptr;  // libjpeg's, from malloc
  unsigned long Size = 0;
  TEncoder() { Info.err = InstallErrorManager(Errors); }
  ~TEncoder() {
    jpeg_destroy_compress(&Info);
    std::free(Buffer);
  }
  TEncoder(const TEncoder&) = delete;
  TEncoder& operator=(const TEncoder&) = delete;
};

// False after a libjpeg error; the message is in D.Errors. Every object that must be destroyed
// lives in the caller.
bool RunDecoder(TDecoder& D, std::span<const uint8_t> Bytes, TJpegPicture& Picture) {
  if (setjmp(D.Errors.Escape)) return false;
  jpeg_create_decompress(&D.Info);
  jpeg_mem_src(&D.Info, Bytes.data(), static_cast<unsigned long>(Bytes.size()));
  jpeg_read_header(&D.Info, TRUE);
  D.Info.out_color_space = JCS_RGB;
  jpeg_calc_output_dimensions(&D.Info);
  const int64_t pixels = int64_t{D.Info.output_width} * D.Info.output_height;
  if (pixels > MaxJpegPixels) {
    std::snprintf(D.Errors.Message, sizeof D.Errors.Message, "picture of %u x %u pixels is too large",
                  D.Info.output_width, D.Info.output_height);
    return false;
  }
  jpeg_start_decompress(&D.Info);
  Picture.Width = static_cast<int32_t>(D.Info.output_width);
  Picture.Height = static_cast<int32_t>(D.Info.output_height);
  const size_t rowBytes = size_t{D.Info.output_width} * 3;
  Picture.Rgb.resize(rowBytes * D.Info.output_height);
  while (D.Info.output_scanline < D.Info.output_height) {
    JSAMPROW row = Picture.Rgb.data() + rowBytes * D.Info.output_scanline;
    jpeg_read_scanlines(&D.Info, &row, 1);
  }
  jpeg_finish_decompress(&D.Info);
  return true;
}

bool RunEncoder(TEncoder& E, const TJpegPicture& Picture, int Quality) {
  if (setjmp(E.Errors.Escape)) return false;
  jpeg_create_compress(&E.Info);
  jpeg_mem_dest(&E.Info, &E.Buffer, &E.Size);
  E.Info.image_width = static_cast<JDIMENSION>(Picture.Width);
  E.Info.image_height = static_cast<JDIMENSION>(Picture.Height);
  E.Info.input_components = 3;
  E.Info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&E.Info);
  jpeg_set_quality(&E.Info, Quality, TRUE);
  // Full-resolution colour: the thin coloured lines of text stay clean.
  for (int i = 0; i < E.Info.num_components; ++i) E.Info.comp_info[i].h_samp_factor = E.Info.comp_info[i].v_samp_factor = 1;
  E.Info.optimize_coding = TRUE;
  jpeg_start_compress(&E.Info, TRUE);
  const size_t rowBytes = size_t(Picture.Width) * 3;
  while (E.Info.next_scanline < E.Info.image_height) {
    // libjpeg's row type is not const, but the compressor only reads it.
    JSAMPROW row = const_cast<uint8_t*>(Picture.Rgb.data()) + rowBytes * E.Info.next_scanline;
    jpeg_write_scanlines(&E.Info, &row, 1);
  }
  jpeg_finish_compress(&E.Info);
  return true;
}

}  // namespace

TJpegPicture DecodeJpeg(std::span<const uint8_t> Bytes) {
  TDecoder decoder;
  TJpegPicture picture;
  if (!RunDecoder(decoder, Bytes, picture)) throw EJpegError(ErrorText(decoder.Errors));
  return picture;
}

std::vector<uint8_t> EncodeJpeg(const TJpegPicture& Picture, int Quality) {
  if (Picture.Width <= 0 || Picture.Height <= 0 || Picture.Width > JPEG_MAX_DIMENSION ||
      Picture.Height > JPEG_MAX_DIMENSION)
    throw EJpegError("JPEG: cannot write a picture of " + std::to_string(Picture.Width) + " x " +
                     std::to_string(Picture.Height) + " pixels");
  if (Picture.Rgb.size() != size_t(Picture.Width) * size_t(Picture.Height) * 3)
    throw EJpegError("JPEG: the picture's bytes do not match its size");
  TEncoder encoder;
  if (!RunEncoder(encoder, Picture, std::clamp(Quality, 1, 100))) throw EJpegError(ErrorText(encoder.Errors));
  return std::vector<uint8_t>(encoder.Buffer, encoder.Buffer + encoder.Size);
}

}  // namespace plashbox
