#include "frame/Experiments.h"

#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <utility>

#include "frame/SceneFiles.h"
#include "frame/TankSession.h"
#include "objects/uBarrier.h"
#include "objects/uBlockRIMapper.h"
#include "objects/uGeneralExciter.h"
#include "objects/uLensRIMapper.h"
#include "objects/uPrismRIMapper.h"
#include "text/TextCatalogue.h"
#include "xmlworker/XMLProperties.h"

namespace plashbox {

namespace {

using TSettings = std::initializer_list<std::pair<const char*, const char*>>;

// An object with published values set by name, as a scene file sets them.
template <class T>
TRef<T> Made(TSettings Settings) {
  TRef<T> object = NewNode<T>();
  for (const auto& [property, value] : Settings) SetPublishedValue(*object, property, value);
  return object;
}

class TExperimentBuilder {
 public:
  explicit TExperimentBuilder(TSlideshow& Show) : Show(Show) {}

  // A slide with its objects: the map first (if any), then walls, then the source last, as
  // the window's own scene has them.
  // The name and the description are the catalogue's texts of their keys; a scene file stores
  // the texts, so that it reads the same in any language.
  TExperimentBuilder& Slide(const char* NameKey, const char* DescriptionKey, std::initializer_list<XMLNodeRef> Objects) {
    const TRef<TWater> water = NewNode<TWater>();
    water->SetName(TextOf(NameKey));
    water->SetDescription(TextOf(DescriptionKey));
    for (const XMLNodeRef& object : Objects) water->add(object.get());
    // Nothing starts selected: the first click chooses.
    for (TBaseControl* control : ChildrenOf<TBaseControl>(*water)) control->ActiveTool = false;
    Show.add(water.get());
    return *this;
  }

 private:
  TSlideshow& Show;
};

XMLNodeRef Source(TSettings Settings) { return Made<TGeneralExciter>(Settings).get(); }
XMLNodeRef Wall(TSettings Settings) { return Made<TBarrier>(Settings).get(); }

}  // namespace

TRef<TSlideshow> MakeExperiments(int32_t Width, int32_t Height) {
  const TRef<TSlideshow> show = NewNode<TSlideshow>();
  // Objects read their percents back from the cells they stand on: they need a tank.
  show->SetGridSize(Width, Height);
  TExperimentBuilder(*show)
      .Slide("experiment.refraction.name", "experiment.refraction.description",
             {Made<TBlockRIMapper>({}).get(), Source({{"BeamType", "1"}})})
      .Slide("experiment.single_slit.name", "experiment.single_slit.description",
             {Wall({{"Slits", "1"}, {"SlitWidth", "20"}}), Source({{"BeamType", "1"}, {"Wavelength", "15"}})})
      .Slide("experiment.double_slit.name", "experiment.double_slit.description",
             {Wall({{"Slits", "2"}, {"SlitWidth", "6"}, {"SlitSpacing", "40"}}),
              Source({{"BeamType", "1"}, {"Wavelength", "10"}})})
      .Slide("experiment.grating.name", "experiment.grating.description",
             {Wall({{"Slits", "5"}, {"SlitWidth", "4"}, {"SlitSpacing", "16"}}),
              Source({{"BeamType", "1"}, {"Wavelength", "8"}})})
      .Slide("experiment.reflection.name", "experiment.reflection.description",
             {Wall({{"X1Percent", "45"}, {"Y1Percent", "30"}, {"X2Percent", "85"}, {"Y2Percent", "70"}}),
              Source({{"BeamType", "1"}, {"Wavelength", "18"}})})
      .Slide("experiment.standing_waves.name", "experiment.standing_waves.description",
             {Wall({{"X1Percent", "25"}, {"X2Percent", "25"}}), Wall({{"X1Percent", "75"}, {"X2Percent", "75"}}),
              Source({{"BeamType", "0"}, {"X1Percent", "50"}, {"Y1Percent", "50"}, {"Wavelength", "26"}})})
      .Slide("experiment.two_sources.name", "experiment.two_sources.description",
             {Source({{"BeamType", "3"}, {"X1Percent", "45"}, {"Y1Percent", "40"}, {"X2Percent", "45"},
                      {"Y2Percent", "60"}, {"Wavelength", "20"}})})
      .Slide("experiment.beats.name", "experiment.beats.description",
             {Source({{"BeamType", "3"}, {"X1Percent", "40"}, {"Y1Percent", "35"}, {"X2Percent", "40"},
                      {"Y2Percent", "65"}, {"Wavelength", "20"}, {"Detune", "1.15"}})})
      .Slide("experiment.total_reflection.name", "experiment.total_reflection.description",
             // Turned by 45 degrees and lowered so that the whole beam meets one face, never a corner;
             // the block reaches past the tank's edges, where the border takes the reflected beam.
             {Made<TBlockRIMapper>({{"n", "0.3"},
                                    {"Cs", "0.7071068"},
                                    {"Sn", "0.7071068"},
                                    {"WidthPercentage", "100"},
                                    {"HeightPercentage", "100"},
                                    {"CentreXPercent", "24.4"},
                                    {"CentreYPercent", "21.8"}})
                  .get(),
              Source({{"BeamType", "1"}, {"Wavelength", "12"}})})
      .Slide("experiment.lens.name", "experiment.lens.description",
             {Made<TLensRIMapper>({{"n", "0.3"}, {"DiameterPercent", "60"}, {"ThicknessPercent", "16"},
                                   {"CentreXPercent", "40"}})
                  .get(),
              Source({{"BeamType", "1"}, {"Wavelength", "12"}})})
      .Slide("experiment.prism.name", "experiment.prism.description",
             // An index of 1.29: at 1.58 the beam met the second face past the critical angle and
             // left through the base instead.
             {Made<TPrismRIMapper>({{"n", "0.6"}, {"SizePercent", "60"}, {"CentreXPercent", "45"}, {"CentreYPercent", "45"}})
                  .get(),
              Source({{"BeamType", "1"}, {"Wavelength", "14"}})})
      .Slide("experiment.doppler.name", "experiment.doppler.description",
             {Source({{"BeamType", "4"}, {"X1Percent", "90"}, {"DopplerSpeed", "0.5"}, {"Wavelength", "15"}})})
      .Slide("experiment.shock_cone.name", "experiment.shock_cone.description",
             {Source({{"BeamType", "4"}, {"X1Percent", "95"}, {"DopplerSpeed", "1.5"}, {"Wavelength", "15"}})})
      .Slide("experiment.pulse.name", "experiment.pulse.description",
             {Wall({{"X1Percent", "70"}, {"X2Percent", "70"}}),
              Source({{"BeamType", "0"}, {"X1Percent", "40"}, {"Y1Percent", "50"}, {"OneShot", "True"}})});
  show->ActiveID = show->GetSlideID(0);
  return show;
}

std::string FindExperimentsFile(const std::string& ProgramFolder) {
  namespace fs = std::filesystem;
  for (const fs::path& place : {fs::current_path(), fs::path(ProgramFolder), fs::path(ProgramFolder) / "../share/plashbox"}) {
    std::error_code failed;
    const fs::path file = place / ExperimentsFileName;
    if (fs::exists(file, failed)) return file.lexically_normal().string();
  }
  return ExperimentsFileName;
}

void DrawExperimentPreview(const std::string& SceneText, int32_t Index, const std::function<void(const TFastDIB&)>& Show) {
  TTankSession core;
  core.SetPaintAreaSize(ExperimentPreviewSide, ExperimentPreviewSide);
  core.AdoptSceneSize = false;
  core.SetThreads(1);
  std::istringstream in(SceneText);
  core.CreateScene(LoadScene(in, ExperimentsFileName));
  core.ShowSlide(Index);
  for (int32_t i = 0; i < ExperimentPreviewSteps; ++i) core.Tick();
  // The slide's own picture with its objects over it.
  TFastDIB& surface = core.GetSurface();
  core.GetSlideshow()->DrawSlidePreview(Index, surface);
  if (TWater* water = core.ActiveWater()) water->DrawObjects(surface, false);
  Show(surface);
}

}  // namespace plashbox
