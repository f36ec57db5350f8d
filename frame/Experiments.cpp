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
  TExperimentBuilder& Slide(const char* Name, const char* Description, std::initializer_list<XMLNodeRef> Objects) {
    const TRef<TWater> water = NewNode<TWater>();
    water->SetName(Name);
    water->SetDescription(Description);
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
      .Slide("Refraction into a glass block",
             "Waves slow down in the glass block, so they come closer together and, where they meet its edge at "
             "an angle, change direction. Turn the block by its handles and watch the waves bend.",
             {Made<TBlockRIMapper>({}).get(), Source({{"BeamType", "1"}})})
      .Slide("Single slit",
             "A straight wave passes one narrow gap and spreads out behind it. Make the slit narrower than the "
             "wavelength and the waves spread in all directions.",
             {Wall({{"Slits", "1"}, {"SlitWidth", "20"}}), Source({{"BeamType", "1"}, {"Wavelength", "15"}})})
      .Slide("Double slit (Young)",
             "Waves from two slits overlap and add up: bright bands where crests meet crests, quiet lines where "
             "crests meet troughs. The bands lie where d sin(theta) is a whole number of wavelengths.",
             {Wall({{"Slits", "2"}, {"SlitWidth", "6"}, {"SlitSpacing", "40"}}),
              Source({{"BeamType", "1"}, {"Wavelength", "10"}})})
      .Slide("Diffraction grating",
             "Five evenly spaced slits make sharper, brighter beams than two: the waves from all the slits agree "
             "only in a few directions.",
             {Wall({{"Slits", "5"}, {"SlitWidth", "4"}, {"SlitSpacing", "16"}}),
              Source({{"BeamType", "1"}, {"Wavelength", "8"}})})
      .Slide("Reflection from a wall at 45 degrees",
             "A beam meets a wall at 45 degrees and leaves it at 45 degrees on the other side: the angle of "
             "reflection equals the angle of incidence. Turn the wall by its handles to try other angles.",
             {Wall({{"X1Percent", "45"}, {"Y1Percent", "30"}, {"X2Percent", "85"}, {"Y2Percent", "70"}}),
              Source({{"BeamType", "1"}, {"Wavelength", "18"}})})
      .Slide("Standing waves between two walls",
             "Waves bounce to and fro between two walls and overlap with themselves: some places never move "
             "(nodes), others swing most (antinodes). The pattern stands still while the water moves.",
             {Wall({{"X1Percent", "25"}, {"X2Percent", "25"}}), Wall({{"X1Percent", "75"}, {"X2Percent", "75"}}),
              Source({{"BeamType", "0"}, {"X1Percent", "50"}, {"Y1Percent", "50"}, {"Wavelength", "26"}})})
      .Slide("Two-source interference",
             "Two sources in step send out rings that cross. Along some lines they always cancel: these nodal "
             "lines fan out from between the sources. Move a source and watch the lines move.",
             {Source({{"BeamType", "3"}, {"X1Percent", "45"}, {"Y1Percent", "40"}, {"X2Percent", "45"},
                      {"Y2Percent", "60"}, {"Wavelength", "20"}})})
      .Slide("Beats",
             "Two sources with slightly different frequencies go in and out of step, so the pattern between "
             "them swells and fades: the beat.",
             {Source({{"BeamType", "3"}, {"X1Percent", "40"}, {"Y1Percent", "35"}, {"X2Percent", "40"},
                      {"Y2Percent", "65"}, {"Wavelength", "20"}, {"Detune", "1.15"}})})
      .Slide("Total internal reflection",
             "The beam starts inside the dense block and meets its edge at 45 degrees, steeper than the "
             "critical angle (about 33 degrees here), so none of it gets out: all of it is reflected back into "
             "the block, and the corner of open water beyond stays calm. Lower the refractive index below 1.41 "
             "and some of it escapes.",
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
      .Slide("A convex lens",
             "The waves are slower in the middle of the lens, where it is thickest, so the wave fronts curve "
             "and the beam comes together at a focus behind the lens.",
             {Made<TLensRIMapper>({{"n", "0.3"}, {"DiameterPercent", "60"}, {"ThicknessPercent", "16"},
                                   {"CentreXPercent", "40"}})
                  .get(),
              Source({{"BeamType", "1"}, {"Wavelength", "12"}})})
      .Slide("Refraction through a prism",
             "The beam bends twice, going into the prism and coming out, and leaves it turned towards the base.",
             // An index of 1.29: at 1.58 the beam met the second face past the critical angle and
             // left through the base instead.
             {Made<TPrismRIMapper>({{"n", "0.6"}, {"SizePercent", "60"}, {"CentreXPercent", "45"}, {"CentreYPercent", "45"}})
                  .get(),
              Source({{"BeamType", "1"}, {"Wavelength", "14"}})})
      .Slide("Doppler effect",
             "The source moves at half the wave speed: ahead of it the waves are squeezed together (higher "
             "frequency), behind it they are stretched apart (lower frequency).",
             {Source({{"BeamType", "4"}, {"X1Percent", "90"}, {"DopplerSpeed", "0.5"}, {"Wavelength", "15"}})})
      .Slide("Shock-wave cone",
             "The source moves faster than its own waves, at Mach 1.5: the rings pile up along a V-shaped cone "
             "behind it, like the bow wave of a boat or a sonic boom.",
             {Source({{"BeamType", "4"}, {"X1Percent", "95"}, {"DopplerSpeed", "1.5"}, {"Wavelength", "15"}})})
      .Slide("A single pulse reflecting from a wall",
             "One short pulse travels to a wall and comes back upside down: a crest returns as a trough. Press "
             "the single-pulse button on the source panel to send another.",
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
