// objects/: the tank objects placed in the water: sources, maps and their controls.
// The base of the wave sources: the time base (phases, fade in and out, bursts, detune, the
// harmonic mix) and the mouse drip, plus the process-wide list of source classes.
#pragma once

#include "objects/ClassList.h"
#include "objects/uBaseControl.h"

namespace plashbox {

// The open-water wave speed in cells per step: a wavelength is the period times this.
inline constexpr double OpenWaterWaveSpeed = 0.7071;
// The wavelengths a source takes by name (scene files, --set), in cells; 0 and below are refused.
inline constexpr float MinWavelength = 1, MaxWavelength = 10000;

class TBaseExciter : public TBaseControl {
 public:
  PLASHBOX_NODE_CLASS;

  std::string GetTypeName() override;
  std::string GetDescription() override;
  void GridAttached() override;
  void Restart() override;

  // Writes this step's source into the grid.
  virtual void DriveWater();

  // Advances the time base, drives the water while the source runs, then applies the drip.
  void Step();

  // The pointer's drip, held at paint-area point (X, Y) (Y downward) until released: it
  // pushes the water down, or with Lift raises it, ramping in over four steps and out over
  // four after the release. Holding it again moves it.
  void HoldDrip(int32_t X, int32_t Y, bool Lift);
  void ReleaseDrip() { DripHeld = false; }
  bool IsDripHeld() const { return DripHeld; }
  bool DripLifts() const { return DripPositive; }

  // The window steps the water every 16 ms: a wave of Lambda cells then has this frequency in
  // hertz. The source panel's frequency bar holds tenths of a hertz.
  static constexpr double StepSeconds = 0.016;
  static double FrequencyOfWavelength(double Lambda) { return OpenWaterWaveSpeed / (Lambda * StepSeconds); }
  static double TenthHertzOfWavelength(double Lambda) { return 10 * OpenWaterWaveSpeed / (Lambda * StepSeconds); }
  static double WavelengthOfTenthHertz(double TenthHertz) {
    return 10 * OpenWaterWaveSpeed / (TenthHertz * StepSeconds);
  }

  float GetWavelength() const { return static_cast<float>(Period * OpenWaterWaveSpeed); }
  // A wavelength that is not a positive finite number would stop the clock (a division by
  // zero); it is refused and the previous one kept.
  void SetWavelength(float Value);
  void SetON(bool Value);
  void SetOneShot(bool Value);

  // The oscillator as it stands: the envelope and its fades, the drip's level, this step's
  // signals. Only the source itself moves them.
  float GetEnvelope() const { return Envelope; }
  bool IsRampingUp() const { return RampingUp; }
  bool IsRampingDown() const { return RampingDown; }
  float GetDripLevel() const { return DripLevel; }
  float GetSignal1() const { return Signal1; }
  float GetSignal2() const { return Signal2; }
  float GetHarmonicSignal() const { return HarmonicSignal; }
  int32_t GetBeamColumn() const { return BeamColumn; }

  float Period = 0;
  float Phase = 0;
  bool ON = false;
  float Detune = 0;
  bool OneShot = false;
  float Phase2 = 0;
  float Phase3 = 0;

 protected:
  void Initialise() override;

  // The column of a beam or line source and the height a new source starts at, in percent.
  int32_t BeamColumn = 0;
  float BeamColumnPercent = 0;
  float HomeYPercent = 0;
  // This step's signals, which the kinds of source write into the water.
  float Signal1 = 0;
  float Signal2 = 0;
  float HarmonicSignal = 0;

 private:
  float Envelope = 0;
  bool RampingUp = false;
  bool RampingDown = false;
  float DripLevel = 0;
  int32_t HoldCount = 0;

  static void DeclareProperties(TPropertyBuilder<TBaseExciter>& P);
  // A burst from silence: fade in, hold, fade out, then ON and OneShot clear themselves.
  void StartBurst();
  void ApplyDrip();

  bool DripHeld = false;
  int32_t DripX = 0, DripY = 0;
  bool DripPositive = false;
};

// The classes from which a new scene takes its source.
TClassList& ExciterClassList();
inline void RegisterExciterClass(const TNodeClass& Class) { ExciterClassList().Register(Class); }
inline int32_t ExciterClassCount() { return ExciterClassList().Count(); }
// The class at Index, or nil outside 0 .. count - 1.
inline const TNodeClass* GetExciterClass(int32_t Index) { return ExciterClassList().At(Index); }

}  // namespace plashbox
