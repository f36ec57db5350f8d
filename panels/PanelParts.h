// panels/: the Qt widgets and the tank objects' control panels.
// The parts every control panel is built of, made alike: labels placed in a fixed box and the
// panels' sliders.
#pragma once

#include <QRect>
#include <QString>

class QLabel;
class QWidget;

namespace plashbox {

class TCustomTrackBar;

// The speed-button group of a source panel's on/off button: a group it has to itself, so that
// with AllowAllUp it latches down and comes up again on the next click.
inline constexpr int PowerButtonGroup = 4221;

// A label in Bounds, its text aligned so and centred vertically.
QLabel* MakePanelLabel(QWidget* Parent, const QString& Text, const QRect& Bounds, Qt::Alignment Alignment);
// A horizontal slider from Min to Max at Position: white channel, silver thumb, no ticks.
TCustomTrackBar* MakePanelBar(QWidget* Parent, const QRect& Bounds, int Min, int Max, int Position);

}  // namespace plashbox
