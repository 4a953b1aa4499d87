#pragma once

// Values and pure algorithms of Lumivane: no platform, no clock, no interface.

#include "LumivaneCore/ASCIICase.hpp"
#include "LumivaneCore/AppIdentity.hpp"
#include "LumivaneCore/DockGeometry.hpp"
#include "LumivaneCore/FileURL.hpp"
#include "LumivaneCore/Geometry.hpp"
#include "LumivaneCore/HoverLayout.hpp"
#include "LumivaneCore/HoverState.hpp"
#include "LumivaneCore/MiddleGesture.hpp"
#include "LumivaneCore/QuitLedger.hpp"
