// plashbox-cli: runs the tank without a window and writes what it shows.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <bit>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "frame/ClassRegistration.h"
#include "frame/FileWriting.h"
#include "frame/FrameTimerCore.h"
#include "frame/GifAnimation.h"
#include "frame/MessageText.h"
#include "frame/PngPicture.h"
#include "frame/RgbPicture.h"
#include "frame/SceneEditing.h"
#include "frame/SceneFiles.h"
#include "frame/TankSession.h"
#include "objects/UniqueIDs.h"
#include "objects/uGeneralExciter.h"
#include "raster/FastDIB.h"
#include "sim/WorkerPool.h"
#include "sim/uWater.h"

using namespace plashbox;

namespace {

// A failure the user can mend: one line on stderr, exit status 2, no file written.
struct TUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// One pointer event of the script, applied just before its tick.
struct TPointerEvent {
  enum TKind { Down, Move, Up } Kind = Down;
  int32_t Tick = 1;
  int32_t X = 0, Y = 0;
  TMouseButton Button = mbLeft;
  bool Drip = false;
};

struct TOptions {
  int32_t Width = 401, Height = 401;
  bool SizeGiven = false;  // else a scene file's own size is used
  int32_t Steps = 1;
  std::optional<uint32_t> Seed;
  std::vector<std::string> Settings;
  std::vector<std::string> Events;
  std::string FrameFile, CellsFile, IntensityFile;
  std::optional<int32_t> AverageFrom;  // the first tick of the intensity's mean
  std::string GifFile;
  int32_t GifEvery = 1;
  std::string SaveFile, SceneFile;
  std::optional<int32_t> Slide;  // of a slideshow, 0-based
  bool ListSlides = false;
  bool Stats = false;
  std::vector<std::string> Probes;  // "X,Y" each
  std::string ProbeFile;            // empty: standard output
  int32_t Threads = HardwareThreads();
};

std::vector<std::string> SplitAt(const std::string& Text, char Separator) {
  std::vector<std::string> parts;
  size_t from = 0;
  for (size_t at; (at = Text.find(Separator, from)) != std::string::npos; from = at + 1)
    parts.push_back(Text.substr(from, at - from));
  parts.push_back(Text.substr(from));
  return parts;
}

// A whole decimal number, nothing before or after it.
bool ParseInteger(const std::string& Text, int32_t& Value) {
  const char* end = Text.data() + Text.size();
  const auto [ptr, ec] = std::from_chars(Text.data(), end, Value);
  return !Text.empty() && ec == std::errc() && ptr == end;
}

// "WxH", two whole numbers from 12 to 8192 and nothing else.
bool ParseSize(const std::string& Text, int32_t& Width, int32_t& Height) {
  const size_t x = Text.find('x');
  if (x == std::string::npos) return false;
  int32_t w = 0, h = 0;
  if (!ParseInteger(Text.substr(0, x), w) || !ParseInteger(Text.substr(x + 1), h)) return false;
  if (w < MinTankSide || h < MinTankSide || w > MaxTankSide || h > MaxTankSide) return false;
  Width = w;
  Height = h;
  return true;
}

TPointerEvent ParseEvent(const std::string& Text) {
  const auto bad = [&](const std::string& Why) {
    return TUsageError("--event " + Text + ": " + Why +
                       " (F:down:X,Y[,left|right|middle][,drip], F:move:X,Y or F:up:X,Y[,button])");
  };
  const std::vector<std::string> fields = SplitAt(Text, ':');
  if (fields.size() != 3) throw bad("wants three fields separated by ':'");
  TPointerEvent e;
  if (!ParseInteger(fields[0], e.Tick) || e.Tick < 1) throw bad("the tick is a number from 1");
  if (fields[1] == "down")
    e.Kind = TPointerEvent::Down;
  else if (fields[1] == "move")
    e.Kind = TPointerEvent::Move;
  else if (fields[1] == "up")
    e.Kind = TPointerEvent::Up;
  else
    throw bad("the kind is down, move or up");
  const std::vector<std::string> args = SplitAt(fields[2], ',');
  if (args.size() < 2 || !ParseInteger(args[0], e.X) || !ParseInteger(args[1], e.Y))
    throw bad("the position is X,Y in whole pixels");
  bool buttonSeen = false;
  for (size_t i = 2; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool isButton = a == "left" || a == "right" || a == "middle";
    if (isButton && e.Kind != TPointerEvent::Move && !buttonSeen && !e.Drip) {
      e.Button = a == "left" ? mbLeft : a == "right" ? mbRight : mbMiddle;
      buttonSeen = true;
    } else if (a == "drip" && e.Kind == TPointerEvent::Down && !e.Drip) {
      e.Drip = true;
    } else {
      throw bad("unexpected \"" + a + "\"");
    }
  }
  return e;
}

// A setting the frame layer refuses, told as the driver's own error.
void ApplyDriverSetting(TWater& Water, const TPropertySetting& S) {
  try {
    ApplySetting(Water, S);
  } catch (const TSceneEditError& e) {
    throw TUsageError(std::string("--set: ") + e.what());
  } catch (const std::exception& e) {
    throw TUsageError("--set " + S.Class + "." + S.Property + "=" + S.Value + ": " + e.what());
  }
}

void ApplyEvent(TTankSession& Form, const TPointerEvent& E) {
  switch (E.Kind) {
    case TPointerEvent::Down:
      // Each press of the script names its tool: "drip" drips, any other goes to the objects.
      Form.SetTool(E.Drip ? TTankTool::Drip : TTankTool::Select);
      Form.BoxMouseDown(E.Button, 0, E.X, E.Y);
      break;
    case TPointerEvent::Move:
      Form.BoxMouseMove(0, E.X, E.Y);
      break;
    case TPointerEvent::Up:
      Form.BoxMouseUp(E.Button, 0, E.X, E.Y);
      break;
  }
}

// PNG for a name that ends in .png, else PPM.
std::string FrameFileContents(const std::string& FileName, const TFastDIB& Surface) {
  const TRgbPicture picture = SurfaceAsRgb(Surface);
  return IsPngFileName(FileName) ? EncodePng(picture) : EncodePpm(picture);
}

// The animation of --gif: every Every-th tick's picture, at the window's rate.
class TGifOutput {
 public:
  TGifOutput(const std::string& FileName, int32_t Every, const TFastDIB& Surface)
      : File_(FileName), Animation_(File_, Surface.Width(), Surface.AbsHeight(), int32_t(WindowFrameInterval) * Every),
        Every_(Every) {}
  void AfterTick(int32_t Tick, const TFastDIB& Surface) {
    if (Tick % Every_ == 0) Animation_.AddFrame(SurfaceAsRgb(Surface));
  }
  void Commit() {
    Animation_.Finish();
    File_.Commit();
  }

 private:
  TStreamingFile File_;  // removed unless committed
  TGifAnimation Animation_;
  int32_t Every_;
};

std::string CellsAsFloats(const TWaterGrid& Cells) {
  static_assert(std::endian::native == std::endian::little, "the cell dump is little-endian float32");
  std::string out;
  out.reserve(size_t(Cells.Width()) * Cells.Height() * sizeof(TWaterCell));
  // Each cell as its record of four values, whatever the grid's own layout.
  for (int32_t x = 0; x < Cells.Width(); ++x)
    for (int32_t y = 0; y < Cells.Height(); ++y) {
      const TWaterCell cell = Cells[x][y];
      out.append(reinterpret_cast<const char*>(&cell), sizeof cell);
    }
  return out;
}

// The plain mean of the squared heights of every cell over the ticks from a first one to the
// end of the run, summed in double after each tick.
class TIntensityMean {
 public:
  void Add(const TWaterGrid& Cells) {
    const size_t count = size_t(Cells.Width()) * size_t(Cells.Height());
    if (Sum.size() != count) {  // a new grid starts the mean anew
      Sum.assign(count, 0.0);
      Ticks = 0;
    }
    for (int32_t x = 0, i = 0; x < Cells.Width(); ++x)
      for (int32_t y = 0; y < Cells.Height(); ++y, ++i) {
        const double d = Cells[x][y].Displacement;
        Sum[size_t(i)] += d * d;
      }
    ++Ticks;
  }
  // Little-endian float32, x outer and y inner, like the cell dump.
  std::string AsFloats() const {
    std::string out(Sum.size() * sizeof(float), '\0');
    for (size_t i = 0; i < Sum.size(); ++i) {
      const auto mean = static_cast<float>(Sum[i] / double(Ticks));
      std::memcpy(out.data() + i * sizeof(float), &mean, sizeof(float));
    }
    return out;
  }

 private:
  std::vector<double> Sum;
  int64_t Ticks = 0;
};

// Every output is checked before the run: a name that cannot be written fails at once.
void CheckOutputs(const TOptions& O) {
  std::vector<std::string> names;
  for (const std::string* name : {&O.FrameFile, &O.CellsFile, &O.IntensityFile, &O.SaveFile, &O.GifFile, &O.ProbeFile})
    if (!name->empty()) names.push_back(*name);
  try {
    CheckWritableFiles(names);
  } catch (const TXMLNodeError& e) {
    throw TUsageError(e.what());
  }
}

// The probes of --probe: points of the paint area whose displacement is written after every
// tick as one CSV line, the tick first. They read the water only; the scene gets no objects.
class TProbeLog {
 public:
  explicit TProbeLog(const TOptions& O) : ToFile(!O.ProbeFile.empty() && O.ProbeFile != StandardOutputName) {
    for (const std::string& p : O.Probes) {
      const std::vector<std::string> xy = SplitAt(p, ',');
      TPoint point;
      if (xy.size() != 2 || !ParseInteger(xy[0], point.X) || !ParseInteger(xy[1], point.Y))
        throw TUsageError("--probe " + p + ": wants X,Y in whole pixels of the paint area");
      Points.push_back(point);
    }
    if (Points.empty()) {
      if (!O.ProbeFile.empty()) throw TUsageError("--probe-out " + O.ProbeFile + ": no --probe given");
      return;
    }
    if (!ToFile)
      for (const std::string* name : {&O.FrameFile, &O.CellsFile, &O.SaveFile})
        if (*name == StandardOutputName)
          throw TUsageError("--probe writes to standard output, as does another output: give --probe-out FILE");
  }
  bool Active() const { return !Points.empty(); }
  // The points must lie on the water the run shows, whatever size it takes.
  void Start(const TWater* Water) {
    if (!Active()) return;
    if (!Water) throw TUsageError("--probe: the scene has no active water");
    std::string header = "tick";
    for (const TPoint& p : Points) {
      if (p.X < 0 || p.Y < 0 || p.X >= Water->GridWidth() || p.Y >= Water->GridHeight())
        throw TUsageError("--probe " + std::to_string(p.X) + "," + std::to_string(p.Y) + ": outside the " +
                          std::to_string(Water->GridWidth()) + " x " + std::to_string(Water->GridHeight()) +
                          " paint area");
      header += ",x=" + std::to_string(p.X) + " y=" + std::to_string(p.Y);
    }
    Emit(header + "\n");
  }
  void Record(int32_t Tick, const TWater* Water) {
    if (!Active()) return;
    std::string line = std::to_string(Tick);
    char number[32];
    for (const TPoint& p : Points) {
      // Nine significant digits give back the very float.
      std::snprintf(number, sizeof number, ",%.9g", Water ? double(Water->DisplacementAt(p.X, p.Y)) : 0.0);
      line += number;
    }
    Emit(line + "\n");
  }
  // The whole log, for the file written with the other outputs.
  std::string Text() const { return Kept; }
  bool ToFile;

 private:
  struct TPoint {
    int32_t X = 0, Y = 0;
  };
  void Emit(const std::string& Line) {
    if (ToFile)
      Kept += Line;
    else
      std::fputs(Line.c_str(), stdout);
  }
  std::vector<TPoint> Points;
  std::string Kept;
};

int Run(const TOptions& O) {
  CheckOutputs(O);
  // The mean runs over the second half of the run unless told otherwise.
  const int32_t averageFrom = O.AverageFrom ? *O.AverageFrom : O.Steps / 2 + 1;
  if (O.AverageFrom && O.IntensityFile.empty()) throw TUsageError("--average-from needs --intensity");
  if (!O.IntensityFile.empty() && (averageFrom < 1 || averageFrom > O.Steps))
    throw TUsageError("--average-from " + std::to_string(averageFrom) + ": the mean needs a tick from 1 to the last tick " +
                      std::to_string(O.Steps));
  // An animation has at least one frame.
  if (!O.GifFile.empty() && O.Steps < O.GifEvery)
    throw TUsageError("--gif " + O.GifFile + ": the run's " + std::to_string(O.Steps) + " ticks hold no frame for --every " +
                      std::to_string(O.GifEvery));
  TProbeLog probes(O);
  std::vector<TPropertySetting> settings;
  for (const std::string& s : O.Settings) try {
      settings.push_back(ParsePropertySetting(s));
    } catch (const TSceneEditError& e) {
      throw TUsageError(std::string("--set ") + e.what());
    }
  std::vector<TPointerEvent> events;
  for (const std::string& e : O.Events) {
    events.push_back(ParseEvent(e));
    if (events.back().Tick > O.Steps)
      throw TUsageError("--event " + e + ": tick " + std::to_string(events.back().Tick) + " comes after the last tick " +
                        std::to_string(O.Steps));
  }
  // Events of one tick keep the order in which they were given.
  std::stable_sort(events.begin(), events.end(), [](const auto& a, const auto& b) { return a.Tick < b.Tick; });

  SeedUniqueIDs(O.Seed ? *O.Seed : SteadyMillisecondClock().Now());
  RegisterClasses();
  TTankSession form;
  form.SetPaintAreaSize(O.Width, O.Height);
  form.AdoptSceneSize = !O.SizeGiven;
  form.SetThreads(O.Threads);
  if (O.SceneFile.empty()) {
    form.CreateScene();
  } else {
    try {
      form.CreateScene(LoadScene(O.SceneFile));
    } catch (const std::exception& e) {
      throw TUsageError("--scene " + O.SceneFile + ": " + e.what());
    }
  }
  if (O.Slide) {
    const int32_t count = form.SlideCount();
    if (*O.Slide < 0 || *O.Slide >= count)
      throw TUsageError("--slide " + std::to_string(*O.Slide) + ": the scene has " + std::to_string(count) +
                        (count == 1 ? " slide (0)" : " slides (0 to " + std::to_string(count - 1) + ")"));
    form.ShowSlide(*O.Slide);
  }
  if (O.ListSlides) {
    TWaterCollection& show = *form.GetSlideshow();
    for (int32_t i = 0; i < show.SlideCount(); ++i) {
      std::string name, description;
      show.GetSlideName(i, name);
      show.GetSlideDescription(i, description);
      std::printf("%d\t%s\t%s\n", i, PrintableText(name).c_str(), PrintableText(description).c_str());
    }
    return 0;
  }
  if (!settings.empty() && !form.ActiveWater()) throw TUsageError("--set: the scene has no active water");
  for (const TPropertySetting& s : settings) ApplyDriverSetting(*form.ActiveWater(), s);

  if (!O.IntensityFile.empty() && !form.ActiveWater()) throw TUsageError("--intensity: the scene has no active water");
  TIntensityMean intensity;
  std::optional<TGifOutput> gif;
  try {
    if (!O.GifFile.empty()) gif.emplace(O.GifFile, O.GifEvery, form.GetSurface());
  } catch (const std::exception& e) {
    throw TUsageError(e.what());
  }
  probes.Start(form.ActiveWater());
  const auto start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::duration exporting{};
  auto next = events.begin();
  for (int32_t tick = 1; tick <= O.Steps; ++tick) {
    for (; next != events.end() && next->Tick == tick; ++next) ApplyEvent(form, *next);
    form.Tick();
    if (!O.IntensityFile.empty() && tick >= averageFrom && form.ActiveWater()->Cells())
      intensity.Add(*form.ActiveWater()->Cells());
    if (gif) {  // the encoding is not the tank's time
      const auto before = std::chrono::steady_clock::now();
      gif->AfterTick(tick, form.GetSurface());
      exporting += std::chrono::steady_clock::now() - before;
    }
    probes.Record(tick, form.ActiveWater());
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start - exporting).count();

  std::vector<std::pair<std::string, std::string>> files;
  if (!O.FrameFile.empty()) files.emplace_back(O.FrameFile, FrameFileContents(O.FrameFile, form.GetSurface()));
  if (!O.CellsFile.empty()) {
    if (!form.ActiveWater()) throw TUsageError("--cells: the scene has no active water");
    files.emplace_back(O.CellsFile, CellsAsFloats(*form.ActiveWater()->Cells()));
  }
  if (!O.IntensityFile.empty()) files.emplace_back(O.IntensityFile, intensity.AsFloats());
  if (probes.Active() && probes.ToFile) files.emplace_back(O.ProbeFile, probes.Text());
  if (!O.SaveFile.empty()) {
    std::ostringstream scene;
    form.GetSlideshow()->SaveToStream(scene, true, 0);
    files.emplace_back(O.SaveFile, scene.str());
  }
  try {
    WriteFilesAtomically(files);
    if (gif) gif->Commit();
  } catch (const std::exception& e) {
    throw TUsageError(e.what());
  }

  if (O.Stats)
    std::printf("ticks %lld, steps %lld, %.3f ms per tick\n", static_cast<long long>(form.TotalTicks),
                static_cast<long long>(form.TotalSteps), O.Steps > 0 ? seconds * 1000 / O.Steps : 0.0);
  return 0;
}

}  // namespace

// The kinds of source that TGeneralExciter.BeamType numbers, as the help lists them.
std::string SourceKindsHelp() {
  std::string text = "TGeneralExciter.BeamType, the kind of source:";
  const int32_t count = TGeneralExciter::BeamTypeCount();
  for (int32_t type = 0; type < count; ++type)
    text += " " + std::to_string(type) + " " + TGeneralExciter::BeamTypeName(type) + (type + 1 < count ? "," : ".");
  return text;
}

int main(int argc, char** argv) {
  CLI::App app{"plashbox-cli: the Plashbox water tank without a window. It builds the demonstration scene "
               "(a beam source and a glass block in a W x H tank) and runs frame ticks exactly as the window "
               "does; tick 1 is the first frame drawn when the window opens."};
  TOptions o;
  std::string size = "401x401";
  CLI::Option* sizeOption =
      app.add_option("--size", size, "paint-area size WxH; without it a --scene file runs at the size it was saved at")
          ->capture_default_str();
  app.add_option("--steps", o.Steps, "number of ticks; 0 is allowed")->check(CLI::Range(0, 100000000))->capture_default_str();
  app.add_option("--seed", o.Seed, "seed of the random generator behind object IDs");
  app.add_option("--set", o.Settings, "repeatable, Class.Prop=Value: after the scene is built and before tick 1, the property set on every direct child of the active water of that class (or a descendant), or on the water itself for TWater")
      ->take_all()->allow_extra_args(false);
  app.add_option("--event", o.Events,
                 "repeatable: F:down:X,Y[,left|right|middle][,drip] a press just before tick F (drip: the drip "
                 "button is down), F:move:X,Y a pointer move, F:up:X,Y[,button] a release")
      ->take_all()->allow_extra_args(false);
  app.add_option("--frame", o.FrameFile,
                 "after the last tick, the picture: PNG for a name ending in .png, else binary PPM (P6); - for "
                 "standard output (PPM)");
  CLI::Option* gifOption = app.add_option(
      "--gif", o.GifFile, "every N-th tick's picture (ticks N, 2N, ...) as an animated GIF at the window's 62.5 ticks a second");
  app.add_option("--every", o.GifEvery, "N of --gif")->check(CLI::Range(1, 100000000))->needs(gifOption)->capture_default_str();
  app.add_option("--cells", o.CellsFile,
                 "after the last tick, the grid as little-endian float32, x outer, y inner, rows bottom-up (point X,Y "
                 "of a WxH tank is cell X*H + H-1-Y), four values a cell; - for standard output");
  app.add_option("--intensity", o.IntensityFile,
                 "after the last tick, the mean of the squared height of every cell over the ticks from "
                 "--average-from on, as little-endian float32, x outer, y inner, rows bottom-up like --cells; - for "
                 "standard output");
  app.add_option("--average-from", o.AverageFrom, "the first tick of the --intensity mean (default: half the run, "
                                                   "steps / 2 + 1)");
  app.add_option("--save", o.SaveFile, "after the last tick, the slideshow as XML text; - for standard output");
  app.add_option("--scene", o.SceneFile, "build the scene from an XML file written by --save instead of the demonstration");
  app.add_option("--slide", o.Slide, "run slide N of the scene's slideshow (0-based)");
  app.add_flag("--list-slides", o.ListSlides, "print the index, name and description of every slide, tab-separated, and stop");
  app.add_option("--threads", o.Threads, "threads that share every step and picture, 1 to 256; the frames are the same for every count")
      ->check(CLI::Range(1, int32_t(MaxThreads)))->capture_default_str();
  app.add_option("--probe", o.Probes,
                 "repeatable, X,Y: a point of the paint area (Y downward) whose displacement is printed after "
                 "every tick as CSV, the tick first, one column per probe, after a header line")
      ->take_all()->allow_extra_args(false);
  app.add_option("--probe-out", o.ProbeFile, "the probes' CSV into this file (written whole at the end) instead of standard output");
  app.add_flag("--stats", o.Stats, "print the frame statistics at the end");
  app.footer(SourceKindsHelp());
  try {
    app.parse(argc, argv);
    o.SizeGiven = sizeOption->count() > 0;
    if (!ParseSize(size, o.Width, o.Height))
      throw TUsageError("--size wants WxH with sides from 12 to 8192, for example 401x401");
    return Run(o);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);
    std::fprintf(stderr, "plashbox-cli: %s\n", PrintableText(e.what()).c_str());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "plashbox-cli: %s\n", PrintableText(e.what()).c_str());
    return 2;
  }
}
