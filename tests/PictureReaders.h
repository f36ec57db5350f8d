// The tests' own readers of the pictures the program writes: libpng's and giflib's decoders,
// each picture as plain RGB rows from the top.
#pragma once

#include <gif_lib.h>
#include <png.h>

#include <string>
#include <vector>

#include "frame/RgbPicture.h"

namespace plashbox::tests {

// Empty (0 x 0) for a file that is not a readable PNG.
inline TRgbPicture ReadPng(const std::string& File) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, File.c_str())) return {};
  image.format = PNG_FORMAT_RGB;
  TRgbPicture out{int32_t(image.width), int32_t(image.height), std::vector<uint8_t>(PNG_IMAGE_SIZE(image))};
  if (!png_image_finish_read(&image, nullptr, out.Rgb.data(), 0, nullptr)) return {};
  return out;
}

struct TGifFile {
  int32_t Width = 0, Height = 0;
  std::vector<TRgbPicture> Frames;
  std::vector<int> Delays;  // hundredths of a second
  bool Loops = false;       // the Netscape loop block is there
  bool Read = false;
};

inline TGifFile ReadGif(const std::string& File) {
  TGifFile out;
  int error = 0;
  GifFileType* gif = DGifOpenFileName(File.c_str(), &error);
  if (!gif) return out;
  if (DGifSlurp(gif) == GIF_OK) {
    out.Read = true;
    out.Width = gif->SWidth;
    out.Height = gif->SHeight;
    for (int i = 0; i < gif->ImageCount; ++i) {
      const SavedImage& image = gif->SavedImages[i];
      const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
      TRgbPicture frame{image.ImageDesc.Width, image.ImageDesc.Height, {}};
      for (int p = 0; p < frame.Width * frame.Height; ++p) {
        const GifColorType c = map->Colors[image.RasterBits[p]];
        frame.Rgb.insert(frame.Rgb.end(), {c.Red, c.Green, c.Blue});
      }
      out.Frames.push_back(std::move(frame));
      GraphicsControlBlock control{};
      out.Delays.push_back(DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK ? control.DelayTime : -1);
      for (int e = 0; e < image.ExtensionBlockCount; ++e) {
        const ExtensionBlock& block = image.ExtensionBlocks[e];
        if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
            std::string(reinterpret_cast<const char*>(block.Bytes), 11) == "NETSCAPE2.0")
          out.Loops = true;
      }
    }
  }
  DGifCloseFile(gif, &error);
  return out;
}

}  // namespace plashbox::tests
