// frame/: the window's logic without a window, shared by every front end and the tests.
// The experiments that ship with Plashbox: one slideshow of the classic ripple-tank lessons,
// each slide a water with a name and a description for students. The build writes it as a
// scene file next to the program; the window's chooser and the driver open that file.
#pragma once

#include <functional>
#include <string>

#include "raster/FastDIB.h"
#include "sim/uWaterCollection.h"

namespace plashbox {

// The slideshow of experiments at a tank of Width x Height, the first slide active; the classes
// must be registered. Positions and sizes are in percent, so the slides fit any tank size.
TRef<TSlideshow> MakeExperiments(int32_t Width = 401, int32_t Height = 401);

// Where the shipped experiments are looked for: the current folder, next to the program, then
// the installed data folder. The first that exists, or the bare name when none does.
inline constexpr const char* ExperimentsFileName = "experiments.xml";
std::string FindExperimentsFile(const std::string& ProgramFolder);

// The experiments chooser's picture of slide Index of a scene file's text (the window's and the
// page's chooser alike): the slide run ExperimentPreviewSteps steps on its own, in a tank of
// ExperimentPreviewSide squared, with its objects drawn over it. Show gets the surface.
inline constexpr int32_t ExperimentPreviewSide = 161, ExperimentPreviewSteps = 300;
void DrawExperimentPreview(const std::string& SceneText, int32_t Index, const std::function<void(const TFastDIB&)>& Show);

}  // namespace plashbox
