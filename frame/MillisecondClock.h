// frame/: the window's logic without a window, shared by every front end and the tests.
// The clock of the frame logic and the frame timer: milliseconds from some fixed moment. The
// machine's steady clock serves the program; tests put a clock of their own in its place.
#pragma once

#include <cstdint>

namespace plashbox {

// A clock counting milliseconds from some fixed moment; differences are taken modulo 2^32,
// so its wrap is harmless.
class iMillisecondClock {
 public:
  virtual ~iMillisecondClock() = default;
  virtual uint32_t Now() = 0;
};

// The monotonic clock of the machine.
class TSteadyMillisecondClock final : public iMillisecondClock {
 public:
  uint32_t Now() override;
};
// One steady clock for the whole process, the default of every timer.
iMillisecondClock& SteadyMillisecondClock();
}  // namespace plashbox
