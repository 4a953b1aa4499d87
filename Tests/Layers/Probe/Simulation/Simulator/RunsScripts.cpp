// The fake OS reaching into the scenario harness: the layering check must refuse it.
#include "Scenarios/Scenarios.hpp"
