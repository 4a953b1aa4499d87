#pragma once
// A core header that reaches into the services: the layering check must refuse it.
#include "Lumivane/AppDelegate.hpp"
