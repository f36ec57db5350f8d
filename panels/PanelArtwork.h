// panels/: the Qt widgets and the tank objects' control panels.
// The control panels' pictures, drawn in code: the five beam types, and the glyph strips of the
// power, pulse, Doppler reset, mode and "Lines" buttons (four pictures side by side: up,
// disabled, pressed, latched).
#pragma once

#include <QColor>
#include <QImage>

namespace plashbox {

// The colour that the beam-type pictures use for "transparent".
inline const QColor BeamPictureTransparent(0xA6, 0xCA, 0xF0);

// 28 x 28, on BeamPictureTransparent; Type 0 .. 4.
QImage BeamTypePicture(int Type);
// Strips of four pictures of Width x Height each.
QImage PowerGlyph(int Width, int Height);
QImage PulseGlyph(int Width, int Height);
QImage ModeGlyph(int Width, int Height);
QImage LinesGlyph(int Width, int Height);
// One picture: an arrow back to the start.
QImage ResetGlyph(int Width, int Height);

}  // namespace plashbox
