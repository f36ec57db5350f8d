// objects/: the tank objects placed in the water: sources, maps and their controls.
// Walls with slits: a straight wall between two handles whose cells stop the waves (speed
// factor 0, held at rest), so that waves reflect from it with their sign inverted and pass
// only through its openings: single and double slits, gratings, mirrors.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "objects/MediumRegion.h"
#include "objects/uBaseControl.h"

namespace plashbox {

// Dark slate inside, a light edge: a wall never looks like the red of a slow medium.
inline constexpr TPixelColor WallColour{79, 79, 47};
inline constexpr TPixelColor WallEdgeColour{215, 210, 200};

// The ranges a wall takes by name; other values are refused.
inline constexpr int32_t MinWallThickness = 1, MaxWallThickness = 20, MaxSlits = 12, MaxSlitSize = 1000;
// The wall panels' slider ranges (the window's and the page's): what a lesson needs, inside
// what the wall takes by name.
inline constexpr int32_t MaxPanelSlitWidth = 60, MinPanelSpacing = 4, MaxPanelSpacing = 120;

class TBarrier : public TBaseControl, public TMediumRegion {
 public:
  PLASHBOX_NODE_CLASS;

  std::string GetTypeName() override;
  std::string GetDescription() override;
  TShapeKind GetShapeKind() override { return skTwoHandles; }
  TPixelColor GetHandleColour() override;
  void ApplyToWater() override { RecomposeMedium(); }
  void GeometryChanged() override { ApplyToWater(); }
  // The wall's cells have speed factor 0 and are held at rest.
  TRegionMedium RegionMedium() const override { return {0, true}; }
  void VisitCoveredCells(const TCoveredCellVisitor& Visit) override;
  // The wall's cells in slate with a light outline, then its two handles.
  void Draw(TDrawingSink& Sink) override;

  // Whether the cell at grid position (x, y), y upward, is wall. The cell's centre must project
  // onto the segment from handle 1 to handle 2, both ends included, and lie across it at a
  // distance d with -T/2 < d <= T/2 (so an upright wall is exactly T cells thick). Slits are
  // laid out symmetrically about the wall's middle, SlitSpacing apart from centre to centre; a
  // cell whose distance u along the wall from a slit's centre has -W/2 <= u < W/2 is open (an
  // upright slit is exactly W cells wide). A wall shorter than one cell has no cells. All of it
  // in double arithmetic on whole cell positions, so every build gives the same cells.
  bool Covers(int32_t x, int32_t y) const;

  // Written at once to the medium when set by name.
  void SetThickness(int32_t Value);
  void SetSlits(int32_t Value);
  void SetSlitWidth(int32_t Value);
  void SetSlitSpacing(int32_t Value);
  // The widest slit the wall takes by name while it stands in a tank: one as long as the wall
  // or longer would open all of it, and the wall would vanish. A wall not in a tank yet (one
  // being read from a file, its handles perhaps not placed) is held to MaxSlitSize alone.
  int32_t MaxSlitWidth() const;

  int32_t Thickness = 3;
  int32_t Slits = 0;  // 0: a plain wall
  int32_t SlitWidth = 6;
  int32_t SlitSpacing = 30;

 protected:
  void Initialise() override;

 private:
  static void DeclareProperties(TPropertyBuilder<TBarrier>& P);
  // From handle 1 to handle 2, in cells.
  double Length() const;
  // The cells last visited, and which of them lie on the wall's edge (for painting).
  std::vector<std::pair<int32_t, int32_t>> WallCells;
  std::vector<bool> OnEdge;
};

}  // namespace plashbox
