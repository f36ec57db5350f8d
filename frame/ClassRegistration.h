// frame/: the window's logic without a window, shared by every front end and the tests.
// Every class the program knows, made known in one place: the scene classes to the node
// registry (so that files are read by class name), the map and source classes that a new scene
// takes, and, in the window, the objects' control panels. The window, the driver, the
// benchmarks and the tests all call it at start.
#pragma once

namespace plashbox {

// Safe to call more than once: each list is filled once. RegisterPanels, when given, adds the
// control-panel makers of a front end that has panels (the window passes its own).
void RegisterClasses(void (*RegisterPanels)() = nullptr);

}  // namespace plashbox
