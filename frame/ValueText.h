// frame/: the window's logic without a window, shared by every front end and the tests.
// How the panels write an object's value beside its slider: as the object holds it, not as the
// slider's nearest step, so that the window and the page show the same text.
#pragma once

#include <string>

namespace plashbox {

// One decimal at least, three at most, trailing zeros dropped: "1.0", "1.15", "0.333".
std::string ShownDecimal(double Value);

// The refractive index of a region whose n (squared wave speed relative to open water) is N,
// with two decimals: "1.83" for n 0.3.
std::string IndexText(double N);

}  // namespace plashbox
