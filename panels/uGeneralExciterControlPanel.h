// panels/: the Qt widgets and the tank objects' control panels.
// The editing panel of a wave source: its beam type, wavelength or frequency, on/off and single
// pulse, detune of the double source, and speed and front lines of the moving source. It
// follows changes made to the source elsewhere through two timers.
#pragma once

#include <QFrame>
#include <QTimer>

#include <array>
#include <vector>

#include "objects/uGeneralExciter.h"
#include "objects/uWaterBaseClasses.h"

class QAction;
class QActionGroup;
class QLabel;
class QMenu;

namespace plashbox {

class TCustomSpeedButton;
class TCustomTrackBar;

class TGeneralExciterCP : public QFrame, public TControlPanel {
  Q_OBJECT

 public:
  explicit TGeneralExciterCP(QWidget* Parent = nullptr);
  ~TGeneralExciterCP() override;

  // Binds the panel to a source and shows its settings. Nothing is written back: a detune or
  // Doppler speed between the sliders' steps is shown as it is, with the slider at the nearest
  // step, until the user moves the slider.
  void Bind(TGeneralExciter& Source);
  TGeneralExciter* Exciter() const { return FExciter.get(); }

  int32_t BeamType() const { return FBeamType; }
  // Shows the type's name, picture and layout; values outside 0 .. 4 are only stored.
  void ShowBeamType(int32_t Value);
  // The sliders' values; the Set calls only show a value and write nothing.
  float Detune() const;
  void SetDetune(float Value);
  float DopplerSpeed() const;
  void SetDopplerSpeed(float Value);
  bool Harmonics() const;
  void SetHarmonics(bool Value);
  // Moves both bars to Lambda without writing it back; nothing when the bar stands there.
  void SetWavelengthFromExciter(float Lambda);
  // Shows frequency or wavelength and stores the choice in the source; the wave is unchanged.
  void SetUseFrequency(bool On);

  // The two timers' work, callable directly.
  void Timer1Timer();
  void Timer2Timer();

  // Controls, by their names.
  TCustomSpeedButton* BeamTypeButton;
  QFrame* TypeRule;
  TCustomSpeedButton* PowerButton;
  TCustomSpeedButton* DopplerReset;
  TCustomSpeedButton* OneWave;
  QLabel* WavelengthCaptionLabel;
  TCustomSpeedButton* CustomSpeedButton1;
  QLabel* FrequencyCaptionLabel;
  QLabel* WavelengthLabel;
  QLabel* FrequencyLabel;
  TCustomTrackBar* WavelengthBar;
  TCustomTrackBar* FrequencyBar;
  TCustomSpeedButton* HarmonicsButton;
  QLabel* MachLabel;
  TCustomTrackBar* MachSlider;
  QLabel* DetuneNameLabel;
  QLabel* DetuneAmountLabel;
  TCustomTrackBar* DetuneSlider;
  QTimer Timer1;
  QTimer Timer2;
  QMenu* PopupMenu1;
  std::vector<QAction*> MenuItems;  // one per kind of source

 private:
  // The steps of construction, in order.
  void CreateTypeControls();
  void CreateRunControls();
  void CreateWavelengthControls();
  void CreateMovingSourceControls();
  void CreateTypeMenu();
  void StartTimers();

  void BeamTypeButtonClick();
  void PopupMenu1Popup();
  void LineSource1Click(int ImageIndex);
  void PowerButtonClick();
  void OneWaveClick();
  void WavelengthBarChange();
  void FrequencyBarChange();
  void MachSliderChange();
  void DetuneSliderChange();
  void ShowFrequencyMode(bool On);
  void RefreshWavelengthLabels();
  void RefreshMachLabel();
  void RefreshDetuneLabel();
  void ShowLayout(bool Doppler, bool Detune);

  bool Updating = false;
  int32_t FBeamType = 0;
  // Counted, so a source taken out of its scene stays valid while the panel shows it.
  TRef<TGeneralExciter> FExciter;
};

}  // namespace plashbox
