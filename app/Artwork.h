// app/: the Qt window program: main window, frame timer, splash and desktop shell.
// The window's own pictures, drawn in code: tool-bar glyphs, the menu's shape icons and the
// frame around the tank.
#pragma once

#include <QIcon>
#include <QImage>

class QPainter;
class QRect;

namespace plashbox {

// A drop falling into rings: the drip tool. 24 x 24, transparent background.
QImage DripGlyph();
// A sponge wiping a wave flat: clear the waves. 24 x 24.
QImage ClearGlyph();
// A wall with two slits and the waves through them: add a wall. 24 x 24.
QImage WallGlyph();
// Bright and dark bands fanning out: the time-averaged intensity of two sources.
QImage IntensityGlyph();
// A red dot in a ring: record an animation. 24 x 24.
QImage RecordGlyph();
// A probe's marker on a wave with its trace, and a screen's line with its fringes.
QImage ProbeGlyph();
QImage ScreenGlyph();
// The time controls: pause, a single step, slower and faster. 24 x 24.
QImage PauseGlyph();
QImage StepGlyph();
QImage SlowerGlyph();
QImage FasterGlyph();
// Two pictures side by side for the menu button: up and disabled. 16 x 16 each.
QImage MenuGlyphStrip();
// The display shapes' icons, by menu tag: the tank's outline in its proportions. 16 x 16.
QIcon DisplayShapeIcon(int Tag);
// The program's icon: rings spreading on water.
QIcon ProgramIcon();
// The bevelled frame drawn around the tank and the tool bar.
void PaintFrame(QPainter& Painter, const QRect& Outer);

}  // namespace plashbox
