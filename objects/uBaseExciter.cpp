#include "objects/uBaseExciter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "grid/ExactMath.h"
#include "grid/Rounding.h"
#include "text/TextCatalogue.h"
#include "xmlworker/XMLFormat.h"

namespace plashbox {

namespace {

constexpr double TwoPi = 2 * std::numbers::pi;

// Every phase is kept within 0 .. 2 pi after its step, one 2 pi at a time. A phase so large
// that taking 2 pi off no longer changes the single (a huge value set from outside, or the
// step of a tiny period) would loop for ever: it is reduced in one go instead. A phase that is
// no number at all (from a detune that is none) starts again at 0 rather than spread into the
// water.
float Wrapped(float Phase) {
  if (std::isnan(Phase)) return 0;
  while (Phase > TwoPi) {
    const auto next = static_cast<float>(Phase - TwoPi);
    if (next == Phase) {
      const double rest = exact::Fmod(double(Phase), TwoPi);
      return std::isfinite(rest) ? static_cast<float>(rest) : 0.0f;
    }
    Phase = next;
  }
  return Phase;
}

// A phase read from a file or set by name is an angle: it is taken into 0 .. 2 pi.
float PublishedPhase(float Value) {
  double turn = exact::Fmod(double(Value), TwoPi);
  if (turn < 0) turn += TwoPi;
  return static_cast<float>(turn);
}

}  // namespace

TClassList& ExciterClassList() {
  static TClassList classes;
  return classes;
}

void TBaseExciter::DeclareProperties(TPropertyBuilder<TBaseExciter>& P) {
  // Values by name are checked: a wavelength of 0 or less would stop the clock, one beyond
  // 10000 cells overflow the period (others are taken into 1 .. 10000, which keeps a value
  // read back from its period inside too); a detune outside 0 .. 10 would run the second
  // phase backwards.
  P.Single("Wavelength", &TBaseExciter::GetWavelength,
           [](TBaseExciter& E, float V) {
             if (!(V > 0)) RefuseValue("Wavelength", V, "above 0 cells");
             E.SetWavelength(std::clamp(V, MinWavelength, MaxWavelength));
           })
      .Single("Phase", &TBaseExciter::Phase, [](TBaseExciter& E, float V) { E.Phase = PublishedPhase(V); })
      .LeftByUndo()
      .Boolean("ON", &TBaseExciter::ON, &TBaseExciter::SetON)
      .Boolean("OneShot", &TBaseExciter::OneShot, &TBaseExciter::SetOneShot)
      .Single("Detune", &TBaseExciter::Detune,
              [](TBaseExciter& E, float V) {
                if (!(V >= 0 && V <= 10)) RefuseValue("Detune", V, "0 to 10");
                E.Detune = V;
              })
      .Single("Phase2", &TBaseExciter::Phase2, [](TBaseExciter& E, float V) { E.Phase2 = PublishedPhase(V); })
      .LeftByUndo()
      .Single("Phase3", &TBaseExciter::Phase3, [](TBaseExciter& E, float V) { E.Phase3 = PublishedPhase(V); })
      .LeftByUndo();
}

PLASHBOX_DEFINE_NODE_CLASS(TBaseExciter, TBaseControl, &DeclareProperties)

void TBaseExciter::Initialise() {
  TBaseControl::Initialise();
  SetWavelength(25);
  ON = true;
  Phase = Phase2 = Phase3 = 0;
  OneShot = false;
  Signal1 = 0;
  RampingUp = true;
  RampingDown = false;
  Envelope = 0;
  Detune = 1;
  BeamColumnPercent = 10;
  HomeYPercent = 50;
}

std::string TBaseExciter::GetTypeName() { return TextOf("object.TBaseExciter.name"); }
std::string TBaseExciter::GetDescription() { return TextOf("object.TBaseExciter.description"); }
void TBaseExciter::DriveWater() {}

void TBaseExciter::SetWavelength(float Value) {
  if (!(Value > 0) || !std::isfinite(Value)) return;
  Period = static_cast<float>(Value / OpenWaterWaveSpeed);
}

void TBaseExciter::GridAttached() {
  TBaseControl::GridAttached();
  // A plain fraction of the width, not a percent position: column 40 on a 401-wide grid.
  BeamColumn = Round(GridWidth * double(BeamColumnPercent) * 0.01);
  // A source kept with its burst requested (a scene file, a slide) sends it when its tank is
  // built, whatever the order in which the file set ON and OneShot.
  if (OneShot) StartBurst();
}

void TBaseExciter::Restart() {
  RampingDown = false;
  Envelope = 0;
  if (ON) RampingUp = true;
}

void TBaseExciter::SetON(bool Value) {
  if (Value) {
    ON = true;
    Signal1 = 0;
    Phase = 0;
  }
  RampingUp = Value;
  RampingDown = !Value;
}

void TBaseExciter::SetOneShot(bool Value) {
  if (Value == OneShot) return;
  OneShot = Value;
  if (!Value || ON) {
    RampingUp = false;
    RampingDown = true;
  } else {
    StartBurst();
  }
}

void TBaseExciter::StartBurst() {
  OneShot = true;
  ON = true;
  RampingUp = true;
  RampingDown = false;
  Envelope = 0;  // a silent source's already; a burst restarted on a new grid starts afresh
  Signal1 = 0;
  Phase = 0;
}

void TBaseExciter::Step() {
  if (ON || RampingDown) {
    const double wavelength = GetWavelength();
    float gain = 1;
    if (RampingDown) {
      Envelope = static_cast<float>(Envelope - 1 / wavelength);
      if (Envelope < 0) {
        RampingDown = false;
        ON = false;
        OneShot = false;
        Envelope = 0;
      }
      const double fall = 1.0 - Envelope;
      gain = static_cast<float>(exact::Exp(-(fall * fall) / 0.25));
    } else if (RampingUp) {
      Envelope = static_cast<float>(Envelope + 0.5 / wavelength);
      HoldCount = 0;
      if (Envelope > 1) {
        RampingUp = false;
        if (OneShot) HoldCount = Round(exact::Sqrt(exact::Sqrt(wavelength)) * 20);
        Envelope = 1;
      }
      const double rise = 1.0 - Envelope;
      gain = static_cast<float>(exact::Exp(-0.5 * (rise * rise) / 0.25));
    }
    if (OneShot && HoldCount > 0) {
      --HoldCount;
      if (HoldCount == 0) RampingDown = true;  // the fade-out starts with the next step
    }
    Phase = Wrapped(static_cast<float>(Phase + TwoPi / Period));
    // The sines of the stored phases and their products with the gain are taken in double.
    Signal1 = static_cast<float>(exact::Sin(double(Phase)) * double(gain));
    Phase2 = Wrapped(static_cast<float>(Phase2 + Detune * TwoPi / Period));
    Signal2 = static_cast<float>(exact::Sin(double(Phase2)) * double(gain));
    Phase3 = Wrapped(static_cast<float>(Phase3 + 3 * std::numbers::pi / Period));
    HarmonicSignal = static_cast<float>(0.7 * Signal1 - double(gain) * exact::Sin(double(Phase3)) -
                                        1.2 * gain * exact::Sin(2.0 * Phase));
    DriveWater();
  }
  ApplyDrip();
}

void TBaseExciter::HoldDrip(int32_t X, int32_t Y, bool Lift) {
  DripHeld = true;
  DripPositive = Lift;
  DripX = X;
  DripY = Y;
}

void TBaseExciter::ApplyDrip() {
  if (!DripHeld && DripLevel == 0) return;
  // Held, the level ramps to +1 (right button) or -1 in four steps; released, back to 0.
  if (DripHeld && DripPositive) {
    if (DripLevel < 1) DripLevel = static_cast<float>(DripLevel + 0.3);
    if (DripLevel > 1) DripLevel = 1;
  } else if (DripHeld) {
    if (DripLevel > -1) DripLevel = static_cast<float>(DripLevel - 0.3);
    if (DripLevel < -1) DripLevel = -1;
  } else if (DripLevel < 0) {
    DripLevel = static_cast<float>(DripLevel + 0.3);
    if (DripLevel > 0) DripLevel = 0;
  } else {
    DripLevel = static_cast<float>(DripLevel - 0.3);
    if (DripLevel < 0) DripLevel = 0;
  }
  const int32_t W = GridWidth, H = GridHeight;
  if (!HasGrid() || DripX < 2 || DripX >= W - 3 || DripY < 2 || DripY >= H - 3) return;
  const int32_t x = DripX, y = GridRow(H, DripY);
  const auto s = static_cast<float>(3 * double(DripLevel));
  // Pinned like a finger in the water: heights set, velocities stopped.
  for (int32_t dx = -1; dx <= 1; ++dx)
    for (int32_t dy = -1; dy <= 1; ++dy) {
      const double weight = dx == 0 && dy == 0 ? 1.5 : (dx == 0 || dy == 0 ? 0.9 : 0.5);
      const TWaveCellRef c = Cell(x + dx, y + dy);
      if (IsWall(c)) continue;
      c.Displacement = static_cast<float>(weight * s);
      c.Velocity = 0;
    }
}

}  // namespace plashbox
