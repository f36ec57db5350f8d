#include "frame/MillisecondClock.h"

#include <chrono>

namespace plashbox {

uint32_t TSteadyMillisecondClock::Now() {
  using namespace std::chrono;
  // Truncating to 32 bits keeps the clock's wrap the only discontinuity.
  return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

iMillisecondClock& SteadyMillisecondClock() {
  static TSteadyMillisecondClock clock;
  return clock;
}

}  // namespace plashbox
