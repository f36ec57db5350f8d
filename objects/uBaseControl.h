// objects/: the tank objects placed in the water: sources, maps and their controls.
// A tank object the user can grab: up to three handles, kept in percent of the tank and in
// cells, dragged by the pointer, optionally snapped to a 16-cell grid.
#pragma once

#include <algorithm>
#include <vector>

#include "objects/uWaterBaseClasses.h"

namespace plashbox {

inline constexpr int32_t SnapSpacing = 16;

// Handle positions set by name (scene files, --set) are taken to within a tank's width of the
// tank, in percent of its size.
inline constexpr float MinPercentPosition = -100, MaxPercentPosition = 200;
// Further out the cell numbers would not fit an integer.
inline float CheckedPercent(float Value) { return std::clamp(Value, MinPercentPosition, MaxPercentPosition); }

// Which handles a control has and how the mouse treats it; the values are those of the files
// and panels that name a kind by number.
enum TShapeKind : uint8_t {
  skNoHandles = 0,     // the control ignores the mouse
  skOneHandle = 1,     // one handle, at point 1
  skTwoHandles = 2,    // handles at points 1 and 2; the segment between them is the body
  skCentreHandle = 4,  // one handle, at point 3 in the middle of the body (the beam's arrow)
  skOwnHandles = 7,    // none of the base handles: the subclass handles the mouse itself
};

class TBaseControl : public TBaseWaterObject {
 public:
  PLASHBOX_NODE_CLASS;

  std::string GetTypeName() override;
  std::string GetDescription() override;
  void GridAttached() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y, bool& Handled) override;
  void MouseMove(TShiftState Shift, int32_t X, int32_t Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int32_t X, int32_t Y) override;
  // The line between handles 1 and 2 of a two-handle control, then every handle.
  void Draw(TDrawingSink& Sink) override;

  // The handles the control shows and the pointer grabs, in grid positions (y upward): the one
  // list serves the drawing and the hit test. By the shape kind: handle 1; handles 1 and 2;
  // handle 3; none.
  virtual std::vector<TGridPoint> Handles();
  // The handle of Handles() under grid position (X, y): the nearest within reach, ties to the
  // later one; -1 when none is.
  int32_t HandleUnder(int32_t X, int32_t y);
  // Each handle of Handles() in the handle colour.
  void DrawHandles(TDrawingSink& Sink);

  virtual void SetY1Percent(float P);
  virtual void Select(bool Additive);
  virtual TPixelColor GetHandleColour();
  virtual TShapeKind GetShapeKind();
  virtual void GeometryChanged();
  virtual int32_t GetMinHandleDistanceSq();
  virtual bool HitTestBody(int32_t X, int32_t y);
  virtual void Activate();

  // The getters report the live cell position, which a drag may have moved.
  float GetX1Percent() const { return GridToPercentX(X1); }
  float GetY1Percent() const { return GridToPercentY(Y1); }
  float GetX2Percent() const { return GridToPercentX(X2); }
  float GetY2Percent() const { return GridToPercentY(Y2); }
  void SetX1Percent(float P);
  void SetX2Percent(float P);
  void SetY2Percent(float P);

  int32_t SnapValue(int32_t V, int32_t Origin, int32_t Size) const;
  void SnapPoint(int32_t& X, int32_t& Y) const;

  // What the press under way holds: handle 1, 2 or 3, or the body.
  bool HoldsHandle(int32_t Number) const {
    return (Number == 1 && GrabbedP1) || (Number == 2 && GrabbedP2) || (Number == 3 && GrabbedP3);
  }
  bool HoldsBody() const { return GrabbedBody; }

  bool Snap_to_Grid = false;
  bool ActiveTool = false;
  int32_t X1 = 0, X2 = 0, X3 = 0;
  int32_t Y1 = 0, Y2 = 0, Y3 = 0;
  float X1Percent = 0, X2Percent = 0, X3Percent = 0;
  float Y1Percent = 0, Y2Percent = 0, Y3Percent = 0;

 protected:
  void Initialise() override;
  // Where a body drag last was (grid position), and whether the press holds the body.
  int32_t DragX = 0, DragY = 0;
  bool GrabbedBody = false;
  // Stores a percent and moves the cell coordinate; a move calls GeometryChanged.
  void SetPercent(float& Stored, int32_t& Cell, float P, bool Vertical);

 private:
  static void DeclareProperties(TPropertyBuilder<TBaseControl>& P);
  bool GrabbedP1 = false, GrabbedP2 = false, GrabbedP3 = false;
};

// The percent positions of handle 1, and with Both of handle 2, published as the scene files
// name them, each taken into the range a position set by name may have.
template <class T>
TPropertyBuilder<T>& DeclareHandlePercents(TPropertyBuilder<T>& P, bool Both) {
  P.Single("X1Percent", &T::GetX1Percent, [](T& C, float V) { C.SetX1Percent(CheckedPercent(V)); })
      .Single("Y1Percent", &T::GetY1Percent, [](T& C, float V) { C.SetY1Percent(CheckedPercent(V)); });
  if (Both)
    P.Single("X2Percent", &T::GetX2Percent, [](T& C, float V) { C.SetX2Percent(CheckedPercent(V)); })
        .Single("Y2Percent", &T::GetY2Percent, [](T& C, float V) { C.SetY2Percent(CheckedPercent(V)); });
  return P;
}

// Of the children of Parent that are a T, the selected one, else the last; nil without any.
template <class T>
T* SelectedOrLastChild(iXMLNode& Parent) {
  T* shown = nullptr;
  for (T* child : ChildrenOf<T>(Parent))
    if (child->ActiveTool || !shown || !shown->ActiveTool) shown = child;
  return shown;
}

}  // namespace plashbox
