#include "objects/uIntensityScreen.h"

#include <algorithm>
#include <cstdlib>

#include "grid/ExactMath.h"
#include "grid/Rounding.h"
#include "text/TextCatalogue.h"

namespace plashbox {

void TIntensityScreen::DeclareProperties(TPropertyBuilder<TIntensityScreen>& P) { DeclareHandlePercents(P, true); }

PLASHBOX_DEFINE_NODE_CLASS(TIntensityScreen, TBaseTool, &DeclareProperties)

void TIntensityScreen::Initialise() {
  TBaseTool::Initialise();
  Snap_to_Grid = false;
  // Upright near the right-hand side, where a slit's pattern has spread out.
  X1Percent = X2Percent = 85;
  Y1Percent = 10;
  Y2Percent = 90;
}

std::string TIntensityScreen::GetTypeName() { return TextOf("object.TIntensityScreen.name"); }
std::string TIntensityScreen::GetDescription() { return TextOf("object.TIntensityScreen.description"); }

TPixelColor TIntensityScreen::GetHandleColour() {
  return ActiveTool ? ScreenColour : TPixelColor::FromRGB(190, 170, 80);
}

// A new grid comes here too.
void TIntensityScreen::GeometryChanged() {
  TBaseTool::GeometryChanged();
  SizeProfile();
}

void TIntensityScreen::Restart() { std::fill(Samples.begin(), Samples.end(), 0.0f); }

void TIntensityScreen::SizeProfile() {
  const int64_t extent = std::max(std::llabs(int64_t(X2) - X1), std::llabs(int64_t(Y2) - Y1));
  Samples.assign(static_cast<size_t>(extent + 1), 0.0f);
}

void TIntensityScreen::SamplePoint(size_t I, int32_t& x, int32_t& y) const {
  const size_t last = Samples.size() - 1;
  const double t = last == 0 ? 0 : double(I) / double(last);
  x = Round(X1 + t * (double(X2) - X1));
  y = Round(Y1 + t * (double(Y2) - Y1));
}

void TIntensityScreen::SampleWater() {
  const TIntensityHost* host = IntensityHost();
  for (size_t i = 0; i < Samples.size(); ++i) {
    int32_t x = 0, y = 0;
    SamplePoint(i, x, y);
    Samples[i] = host ? host->IntensityAt(x, y) : 0.0f;
  }
}

bool TIntensityScreen::HasIntensity() {
  const TIntensityHost* host = IntensityHost();
  return host && host->KeepsIntensity();
}

double TIntensityScreen::CellsPerSample() const {
  if (Samples.size() < 2) return 0;
  const double dx = double(X2) - X1, dy = double(Y2) - Y1;
  return exact::Sqrt(dx * dx + dy * dy) / double(Samples.size() - 1);
}

std::vector<TProfileMaximum> TIntensityScreen::ProfileMaxima() const {
  const double cells = CellsPerSample();
  return FindMaxima(Samples, cells > 0 ? MinMaximaCells / cells : 0);
}

std::vector<double> TIntensityScreen::Maxima() const {
  std::vector<double> found;
  const double scale = CellsPerSample();
  for (const TProfileMaximum& m : ProfileMaxima()) found.push_back(m.At * scale);
  return found;
}

void TIntensityScreen::Draw(TDrawingSink& Sink) {
  // Every other cell of the line, so the waves under it stay visible.
  for (size_t i = 0; i < Samples.size(); i += 2) {
    int32_t x = 0, y = 0;
    SamplePoint(i, x, y);
    Sink.Cell(x, y, ScreenColour);
  }
  DrawHandles(Sink);
}

}  // namespace plashbox
