#include "sim/uWater.h"

#include <algorithm>

#include "objects/UniqueIDs.h"
#include "sim/WaterStepKernels.h"

namespace plashbox {


void TWater::DeclareProperties(TPropertyBuilder<TWater>& P) {
  P.Single("Exposure", &TWater::FExposure)
      .Integer("UniqueID", &TWater::FUniqueID)
      .String("Name", &TWater::GetName, &TWater::SetName)
      .String("Description", &TWater::GetDescription, &TWater::SetDescription);
}

const TNodeClass& TWater::StaticClass() {
  static const TNodeClass cls = TNodeClass::Make<TWater>("TWater", &TXMLNode::StaticClass(), &DeclareProperties);
  return cls;
}

void TWater::Initialise() {
  TXMLNode::Initialise();
  SetGridSize(0, 0);
  FExposure = 2.55f;
  RenewUniqueIDs();
}

void TWater::RenewUniqueIDs() { FUniqueID = NewUniqueID(); }

void TWater::SetGridSize(int32_t W, int32_t H) {
  Width = std::max(W, 0);
  Height = std::max(H, 0);
  Grid = std::make_shared<TWaterGrid>(Width, Height);
  ResetMedium(*Grid);
  AttachObjects();
}

void TWater::SimulateStep() {
  PrepareStep();
  const int32_t W = Width, H = Height;
  if (W >= 3 && H >= 3) {
    // Column x's velocities, then column x - 1's displacements, which nothing reads any more.
    const detail::TStepKernels& k = detail::BestStepKernels();
    TWaterGrid& cells = *Grid;
    for (int32_t x = 1; x < W - 1; ++x) k.StepColumn(cells[x - 1], cells[x], cells[x + 1], H, x > 1);
    k.DisplaceColumn(cells[W - 2], H);
  }
  StepObjects();
}

void TWater::ClearWaves() {
  TWaterGrid& cells = *Grid;
  for (int32_t x = 0; x < Width; ++x)
    for (TWaterCell *c = cells[x], *end = c + Height; c != end; ++c) {
      c->Displacement = 0;
      c->Velocity = 0;
    }
  RestartObjects();
}

const TWaterCell* TWater::CellAt(int32_t X, int32_t Y) const {
  const int32_t y = Height - 1 - Y;
  if (X < 0 || X >= Width || y < 0 || y >= Height) return nullptr;
  return &(*Grid)[X][y];
}

float TWater::DisplacementAt(int32_t X, int32_t Y) const {
  const TWaterCell* c = CellAt(X, Y);
  return c ? c->Displacement : 0.0f;
}

float TWater::SpeedFactorAt(int32_t X, int32_t Y) const {
  const TWaterCell* c = CellAt(X, Y);
  return c ? c->SpeedFactor : 0.0f;
}

int64_t TWater::MemoryUsage() const {
  // A grid without columns holds no cells, whatever its nominal height.
  if (Width == 0) return 0;
  return int64_t(Width) * Height * int64_t(sizeof(TWaterCell));
}

std::string TWater::GetName() const {
  if (!NameText.empty()) return NameText;
  NameText = "Empty Slide";
  return NameText;
}

void TWater::SetName(const std::string& Value) {
  if (!NameText.empty() || Value != GetName()) NameText = Value;
}

std::string TWater::GetDescription() const {
  if (!DescriptionText.empty()) return DescriptionText;
  DescriptionText = "Choose an object to explore.";
  return DescriptionText;
}

void TWater::SetDescription(const std::string& Value) {
  if (!DescriptionText.empty() || Value != GetDescription()) DescriptionText = Value;
}

}  // namespace plashbox
