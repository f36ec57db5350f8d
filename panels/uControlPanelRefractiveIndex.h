// panels/: the Qt widgets and the tank objects' control panels.
// The editing panel of a region of one refractive index: a slider from air to diamond that
// writes the map's n by name, and the index it gives.
#pragma once

#include <QFrame>

#include "objects/uBaseRefractiveIndexMap.h"

class QLabel;

namespace plashbox {

class TCustomTrackBar;

class TRefractiveIndexCP : public QFrame, public TControlPanel {
  Q_OBJECT

 public:
  explicit TRefractiveIndexCP(QWidget* Parent = nullptr);
  ~TRefractiveIndexCP() override;

  void Bind(TBaseRIControlRIMapper& Map);
  TBaseRIControlRIMapper* Mapper() const { return FMapper.get(); }
  // Moves the slider to the step nearest N and shows N's index; nothing is written back until
  // the user moves the slider.
  void SetSpeedFactor(float N);

  QLabel* IndexCaptionLabel;
  QLabel* RefractiveIndexLabel;
  TCustomTrackBar* RfIndex;
  QLabel* Label2;
  QLabel* Label3;
  QLabel* Label4;
  QLabel* Label5;

 private:
  void RfIndexChange();
  void RefreshIndexLabel();

  TRef<TBaseRIControlRIMapper> FMapper;
};

}  // namespace plashbox
