// panels/: the Qt widgets and the tank objects' control panels.
// Hands the tank objects their panels: each object class with a panel of its own gets a maker
// that builds the panel and binds it to the object. Run once at program start.
#pragma once

namespace plashbox {

void RegisterControlPanels();

}  // namespace plashbox
