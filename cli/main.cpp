// plashbox-cli: runs the tank without a window and writes what it shows.
#include <CLI/CLI.hpp>

#include <bit>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "objects/UniqueIDs.h"
#include "objects/uGeneralExciter.h"
#include "raster/FastDIB.h"
#include "sim/uWater.h"
#include "xmlworker/XMLFormat.h"
#include "xmlworker/XMLProperties.h"

using namespace plashbox;

namespace {

// A failure the user can mend: one line on stderr, exit status 2, no file written.
struct TUsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct TOptions {
  int32_t Width = 401, Height = 401;
  int32_t Steps = 1;
  std::optional<uint32_t> Seed;
  std::vector<std::string> Settings;
  std::string FrameFile, CellsFile;
  bool Stats = false;
};

struct TSetting {
  std::string Class, Property, Value;
};

TSetting ParseSetting(const std::string& Text) {
  const size_t dot = Text.find('.'), equals = Text.find('=');
  if (dot == std::string::npos || equals == std::string::npos || dot == 0 || equals < dot + 2)
    throw TUsageError("--set wants Class.Prop=Value, got \"" + Text + "\"");
  return {Text.substr(0, dot), Text.substr(dot + 1, equals - dot - 1), Text.substr(equals + 1)};
}

const TNodeClass* FindSceneClass(const std::string& Name) {
  for (const TNodeClass* c : {&TWater::StaticClass(), &TBaseWaterObject::StaticClass(), &TBaseControl::StaticClass(),
                              &TBaseExciter::StaticClass(), &TGeneralExciter::StaticClass()})
    if (SameText(c->ClassName(), Name)) return c;
  return nullptr;
}

// Sets the property on the water itself (class TWater) or on every direct child of that class.
void ApplySetting(TWater& Water, const TSetting& S) {
  const TNodeClass* cls = FindSceneClass(S.Class);
  if (!cls) throw TUsageError("--set: unknown class " + S.Class);
  if (!cls->FindProperty(S.Property)) throw TUsageError("--set: " + cls->ClassName() + " has no property " + S.Property);
  try {
    if (cls == &TWater::StaticClass()) {
      SetPublishedValue(Water, S.Property, S.Value);
      return;
    }
    for (int32_t i = 0; i < Water.GetChildCount(); ++i) {
      TBasicXMLNode* child = Water.GetChildren(i)->AsObject();
      if (child->ClassType().InheritsFrom(*cls)) SetPublishedValue(*child, S.Property, S.Value);
    }
  } catch (const std::exception& e) {
    throw TUsageError("--set " + S.Class + "." + S.Property + "=" + S.Value + ": " + e.what());
  }
}

std::string FrameAsPPM(const TFastDIB& Surface) {
  const int32_t W = Surface.Width(), H = Surface.AbsHeight();
  std::string out = "P6\n" + std::to_string(W) + " " + std::to_string(H) + "\n255\n";
  out.reserve(out.size() + size_t(W) * H * 3);
  for (int32_t row = H - 1; row >= 0; --row)  // the top line of the picture is the last row
    for (int32_t x = 0; x < W; ++x) {
      const TPixelColor p = Surface.Rows24()[row][x];
      out += char(p.Red);
      out += char(p.Green);
      out += char(p.Blue);
    }
  return out;
}

std::string CellsAsFloats(const TWaterGrid& Cells) {
  static_assert(std::endian::native == std::endian::little, "the cell dump is little-endian float32");
  std::string out;
  out.reserve(size_t(Cells.Width()) * Cells.Height() * sizeof(TWaterCell));
  for (int32_t x = 0; x < Cells.Width(); ++x)
    out.append(reinterpret_cast<const char*>(Cells[x]), size_t(Cells.Height()) * sizeof(TWaterCell));
  return out;
}

// Writes every file or none: each goes to a temporary name first and is renamed at the end.
void WriteAll(const std::vector<std::pair<std::string, std::string>>& Files) {
  std::vector<std::string> written;
  const auto removeWritten = [&] {
    for (const std::string& t : written) std::filesystem::remove(t);
  };
  for (const auto& [path, contents] : Files) {
    const std::string temporary = path + ".partial";
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (out) written.push_back(temporary);
    if (!out || !out.write(contents.data(), std::streamsize(contents.size())) || !out.flush()) {
      removeWritten();
      throw TUsageError("cannot write " + path);
    }
  }
  std::error_code ec;
  for (size_t i = 0; i < Files.size(); ++i) {
    std::filesystem::rename(written[i], Files[i].first, ec);
    if (ec) {
      removeWritten();
      throw TUsageError("cannot write " + Files[i].first + ": " + ec.message());
    }
  }
}

int Run(const TOptions& O) {
  std::vector<TSetting> settings;
  for (const std::string& s : O.Settings) settings.push_back(ParseSetting(s));

  SeedUniqueIDs(O.Seed ? *O.Seed : uint32_t(std::chrono::steady_clock::now().time_since_epoch().count()));
  RegisterExciterClass(TGeneralExciter::StaticClass());
  const TRef<TWater> water = NewNode<TWater>();
  water->add(NewNode<TGeneralExciter>().get());
  water->SetGridSize(O.Width, O.Height);
  for (const TSetting& s : settings) ApplySetting(*water, s);

  TFastDIB surface;
  surface.SetSize(O.Width, O.Height, 24);
  const auto start = std::chrono::steady_clock::now();
  for (int32_t tick = 0; tick < O.Steps; ++tick) water->StepAndRender(surface);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::vector<std::pair<std::string, std::string>> files;
  if (!O.FrameFile.empty()) files.emplace_back(O.FrameFile, FrameAsPPM(surface));
  if (!O.CellsFile.empty()) files.emplace_back(O.CellsFile, CellsAsFloats(*water->Cells()));
  WriteAll(files);

  if (O.Stats)
    std::printf("ticks %d, steps %d, %.3f ms per tick\n", O.Steps, O.Steps,
                O.Steps > 0 ? seconds * 1000 / O.Steps : 0.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"plashbox-cli: the Plashbox water tank without a window. A water of W x H cells holds a "
               "wave source; each tick is one time step drawn into a 24-bit picture."};
  TOptions o;
  std::string size = "401x401";
  app.add_option("--size", size, "paint-area size WxH")->capture_default_str();
  app.add_option("--steps", o.Steps, "number of ticks; 0 is allowed")->check(CLI::Range(0, 100000000))->capture_default_str();
  app.add_option("--seed", o.Seed, "seed of the random generator behind object IDs");
  app.add_option("--set", o.Settings, "Class.Prop=Value, repeatable: a published property of the water or its objects")
      ->take_all()->allow_extra_args(false);
  app.add_option("--frame", o.FrameFile, "after the last tick, the picture as binary PPM (P6)");
  app.add_option("--cells", o.CellsFile, "after the last tick, the grid as little-endian float32, x outer, y inner");
  app.add_flag("--stats", o.Stats, "print the frame statistics at the end");
  try {
    app.parse(argc, argv);
    if (std::sscanf(size.c_str(), "%dx%d", &o.Width, &o.Height) != 2 || size.find_first_not_of("0123456789x") != std::string::npos ||
        o.Width < 12 || o.Height < 12 || o.Width > 8192 || o.Height > 8192)
      throw TUsageError("--size wants WxH with sides from 12 to 8192, for example 401x401");
    return Run(o);
  } catch (const CLI::ParseError& e) {
    if (e.get_exit_code() == 0) return app.exit(e);
    std::fprintf(stderr, "plashbox-cli: %s\n", e.what());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "plashbox-cli: %s\n", e.what());
    return 2;
  }
}
