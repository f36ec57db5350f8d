#include "frame/FrameTimerCore.h"

#include <algorithm>
#include <cmath>

namespace plashbox {

void TFrameTimerCore::SetInterval(uint32_t Value) {
  if (Value == Interval_) return;
  Interval_ = Value;
  IntervalDivisor_ = std::max<uint32_t>(1, Value);
}

void TFrameTimerCore::Restart(uint32_t Now) {
  LastTickTime_ = Now;
  RateStartTime_ = Now;
}

uint32_t TFrameTimerCore::Poll(uint32_t Now) {
  const uint32_t elapsed = Now - LastTickTime_;
  if (elapsed < Interval_) return 0;
  LastTickTime_ = Now;
  const uint32_t lag = std::max<uint32_t>(1, elapsed / IntervalDivisor_);

  ++FrameCounter_;
  const uint32_t period = std::max<uint32_t>(1, Now - RateStartTime_);
  if (period >= 1000) {
    FrameRate_ = static_cast<int32_t>(std::nearbyint(static_cast<double>(FrameCounter_) * 1000.0 / period));
    FrameCounter_ = 0;
    RateStartTime_ = Now;
  }
  return lag;
}

}  // namespace plashbox

namespace plashbox {

uint32_t TFrameTimerCore::WaitBefore(uint32_t Now) const {
  const uint32_t elapsed = Now - LastTickTime_;
  return elapsed >= Interval_ ? 0 : Interval_ - elapsed;
}

}  // namespace plashbox
