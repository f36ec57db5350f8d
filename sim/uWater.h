// One scene of the tank: the grid of cells with its absorbing border, advanced by a discrete
// wave equation once per frame. Its children are the objects placed in the water.
#pragma once

#include <cstdint>
#include <string>

#include "sim/WaterGrid.h"
#include "xmlworker/XMLNode.h"
#include "xmlworker/XMLProperties.h"

namespace plashbox {

class TWater : public TXMLNode {
 public:
  static const TNodeClass& StaticClass();
  const TNodeClass& ClassType() const override { return StaticClass(); }

  // Discards all waves and rebuilds W x H cells of open water with the absorbing border.
  void SetGridSize(int32_t W, int32_t H);
  // One time step without drawing.
  void SimulateStep();
  // Zeroes displacement and velocity everywhere; the medium stays.
  void ClearWaves();

  // Read-outs at a paint-area position (Y downward from the top); 0 off the grid.
  float DisplacementAt(int32_t X, int32_t Y) const;
  float SpeedFactorAt(int32_t X, int32_t Y) const;
  // Bytes held by the cells.
  int64_t MemoryUsage() const;

  int32_t GridWidth() const { return Width; }
  int32_t GridHeight() const { return Height; }
  const TCellsRef& Cells() const { return Grid; }

  float Exposure() const { return FExposure; }
  void SetExposure(float Value) { FExposure = Value; }
  int32_t UniqueID() const { return FUniqueID; }
  void SetUniqueID(int32_t Value) { FUniqueID = Value; }
  // An empty name or description reads as the scene's default text.
  std::string GetName() const;
  void SetName(const std::string& Value);
  std::string GetDescription() const;
  void SetDescription(const std::string& Value);

  void RenewUniqueIDs();

 protected:
  void Initialise() override;

 private:
  static void DeclareProperties(TPropertyBuilder<TWater>& P);
  const TWaterCell* CellAt(int32_t X, int32_t Y) const;

  // Where the scene's objects join the grid's life: after a rebuild, around a step and after
  // the waves are cleared.
  void AttachObjects() {}
  void PrepareStep() {}
  void StepObjects() {}
  void RestartObjects() {}

  int32_t FUniqueID = 0;
  mutable std::string NameText;  // the getters fill in the default text
  mutable std::string DescriptionText;
  bool DripMode = false;
  int32_t Width = 0;
  int32_t Height = 0;
  float FExposure = 2.55f;
  bool DripActive = false;
  TCellsRef Grid;
  bool Grabbed = false;
};

}  // namespace plashbox
