// app/: the Qt window program: main window, frame timer, splash and desktop shell.
// The splash window's picture: JPEG bytes that the build renders with the tank itself
// (tools/make_splash) and compiles into the program.
#pragma once

#include <cstdint>
#include <span>

namespace plashbox {

inline constexpr int32_t SplashArtworkWidth = 800;
inline constexpr int32_t SplashArtworkHeight = 500;

std::span<const uint8_t> SplashArtworkJpeg();

// Where the picture's "About the makers" text lies, in picture pixels: the maker's link area.
struct TSplashArea {
  int32_t Left, Top, Width, Height;
};
TSplashArea SplashMakerLinkArea();

}  // namespace plashbox
