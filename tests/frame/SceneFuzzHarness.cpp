#include "tests/frame/SceneFuzzHarness.h"

#include <cmath>
#include <exception>
#include <sstream>

#include "frame/ClassRegistration.h"
#include "frame/SceneEditing.h"
#include "frame/SceneFiles.h"
#include "frame/TankSession.h"
#include "objects/UniqueIDs.h"
#include "xmlworker/XMLFormat.h"

namespace plashbox::tests {

namespace {

constexpr int32_t TankWidth = 41, TankHeight = 33;

std::string FirstUnfiniteCell(TWater& Water) {
  const TCellsRef& cells = Water.Cells();
  if (!cells) return {};
  for (int32_t x = 0; x < cells->Width(); ++x)
    for (int32_t y = 0; y < cells->Height(); ++y) {
      const TWaterCell& c = (*cells)[x][y];
      for (const float v : {c.Displacement, c.Velocity, c.SpeedFactor, c.Damping})
        if (!std::isfinite(v)) return "cell " + std::to_string(x) + "," + std::to_string(y) + " is not finite";
    }
  return {};
}

// A press, a drag across the tank and a release, a drip, and ticks in between.
std::string Run(TTankSession& Form) {
  const auto tick = [&]() -> std::string {
    Form.Tick();
    TWater* water = Form.ActiveWater();
    return water ? FirstUnfiniteCell(*water) : std::string();
  };
  const int32_t cx = TankWidth / 2, cy = TankHeight / 2;
  Form.BoxMouseDown(mbLeft, 0, cx, cy);
  for (const auto& [x, y] : {std::pair{cx + 7, cy - 5}, std::pair{-40, 90}, std::pair{cx, cy}}) {
    Form.BoxMouseMove(0, x, y);
    if (std::string problem = tick(); !problem.empty()) return problem;
  }
  Form.BoxMouseUp(mbLeft, 0, cx, cy);
  Form.SetTool(TTankTool::Drip);
  Form.BoxMouseDown(mbRight, 0, cx - 4, cy + 3);
  Form.SetTool(TTankTool::Select);
  for (int i = 0; i < 4; ++i)
    if (std::string problem = tick(); !problem.empty()) return problem;
  Form.BoxMouseUp(mbRight, 0, cx - 4, cy + 3);
  return tick();
}

}  // namespace

std::string CheckSceneOnce(std::string_view Data) {
  RegisterClasses();
  SeedUniqueIDs(1);
  try {
    TRef<TWaterCollection> scene;
    try {
      std::istringstream in{std::string(Data)};
      scene = LoadScene(in, "fuzz.xml");
    } catch (const TXMLNodeError&) {
      return {};  // refused, as a file that is no sound scene should be
    } catch (const EConvertError&) {
      return {};
    }
    TTankSession form;
    form.SetPaintAreaSize(TankWidth, TankHeight);
    form.AdoptSceneSize = false;  // the small tank whatever size the input asks for
    form.CreateScene(scene);
    if (std::string problem = Run(form); !problem.empty()) return problem;
    std::ostringstream saved;
    form.GetSlideshow()->SaveToStream(saved, true, 0);
    std::istringstream again(saved.str());
    try {
      LoadScene(again, "saved.xml");
    } catch (const std::exception& e) {
      return std::string("the scene it saves does not open again: ") + e.what() + "\n--- text:\n" + saved.str();
    }
  } catch (const std::exception& e) {
    return std::string("unexpected exception: ") + e.what();
  }
  return {};
}

std::vector<std::pair<std::string, std::string>> SceneSeeds() {
  RegisterClasses();
  std::vector<std::pair<std::string, std::string>> seeds;
  const auto seed = [&](const std::string& Name, std::initializer_list<const char*> Settings) {
    SeedUniqueIDs(1);
    TTankSession form;
    form.SetPaintAreaSize(TankWidth, TankHeight);
    form.CreateScene();
    for (const char* s : Settings) ApplySetting(*form.ActiveWater(), ParsePropertySetting(s));
    std::ostringstream text;
    form.GetSlideshow()->SaveToStream(text, true, 0);
    seeds.emplace_back(Name, text.str());
  };
  seed("scene-point.xml", {"TGeneralExciter.BeamType=0"});
  seed("scene-beam.xml", {});
  seed("scene-line.xml", {"TGeneralExciter.BeamType=2", "TBlockRIMapper.n=0.3"});
  seed("scene-double.xml", {"TGeneralExciter.BeamType=3", "TGeneralExciter.Detune=1.5"});
  seed("scene-doppler.xml", {"TGeneralExciter.BeamType=4", "TGeneralExciter.DopplerSpeed=1.5",
                             "TGeneralExciter.Harmonics=True"});
  seed("scene-turned.xml", {"TBlockRIMapper.Cs=0.7071068", "TBlockRIMapper.Sn=0.7071068",
                            "TBlockRIMapper.WidthPercentage=70", "TGeneralExciter.OneShot=True"});
  return seeds;
}

}  // namespace plashbox::tests
