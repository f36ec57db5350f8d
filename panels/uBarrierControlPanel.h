// panels/: the Qt widgets and the tank objects' control panels.
// The editing panel of a wall: its number of slits, their width and spacing, and the wall's
// thickness, each a slider that writes the wall's value by name with its number beside it.
#pragma once

#include <QFrame>

#include "objects/uBarrier.h"

class QLabel;

namespace plashbox {

class TCustomTrackBar;

class TBarrierCP : public QFrame, public TControlPanel {
  Q_OBJECT

 public:
  explicit TBarrierCP(QWidget* Parent = nullptr);
  ~TBarrierCP() override;

  void Bind(TBarrier& Wall);
  TBarrier* Wall() const { return FWall.get(); }

  TCustomTrackBar* SlitsBar;
  TCustomTrackBar* SlitWidthBar;
  TCustomTrackBar* SlitSpacingBar;
  TCustomTrackBar* ThicknessBar;

 private:
  // One row: a caption, the value at the right, the slider under them.
  TCustomTrackBar* AddRow(int Top, const QString& Caption, int Min, int Max, QLabel*& Value,
                          void (TBarrier::*Set)(int32_t));
  void ShowValues();

  TRef<TBarrier> FWall;
  QLabel* SlitsValue = nullptr;
  QLabel* SlitWidthValue = nullptr;
  QLabel* SlitSpacingValue = nullptr;
  QLabel* ThicknessValue = nullptr;
  bool Binding = false;
};

}  // namespace plashbox
