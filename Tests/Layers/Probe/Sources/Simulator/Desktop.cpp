// The simulator back among what ships: its folder is no layer's, and the layering check must
// refuse it.
#include "Simulator/Desktop.hpp"
