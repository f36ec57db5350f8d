// raster/: the off-screen surface and the routines that draw into it.
// Gradient fill and lines drawn straight into a surface's pixel memory, in
// integer fixed point with 16 fraction bits. Pixels that fall off the surface
// are skipped; the ones that land on it get exactly the values the unclipped
// shape gives them.
#pragma once

#include "raster/FastDIB.h"

namespace plashbox {

// Fills stored rows y1 .. y2 - 1 and columns x1 .. x2 - 1, blending c1 at
// (x1, y1), c2 at (x2, y1), c3 at (x1, y2) and c4 at (x2, y2). Each row and
// each column takes one step before its first pixel, so the far corners are
// approached but never reached. 8-, 24- and 32-bit surfaces; nothing on others.
void GradientRect(TFastDIB& surface, int x1, int y1, int x2, int y2, TPixelColor c1,
                  TPixelColor c2, TPixelColor c3, TPixelColor c4);

// Anti-aliased line (Wu) between two end points given with y counted from the
// top of the picture; both end points get the full colour. Horizontal and
// vertical lines go to SolidLine. 8-, 16-, 24- and 32-bit surfaces.
void SmoothLine(TFastDIB& surface, int x1, int y1, int x2, int y2, TPixelColor colour);

// Bresenham line in full colour, y counted from the top, both end points
// included. 8-, 16-, 24- and 32-bit surfaces.
void SolidLine(TFastDIB& surface, int x1, int y1, int x2, int y2, TPixelColor colour);

}  // namespace plashbox
