// A view that draws the simulator's Dock: what ships may not include the simulation, and the
// layering check must refuse it.
#include "Simulator/DockModel.hpp"
