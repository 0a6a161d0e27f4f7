// The frame's typed host for the unit types (runtime/units/unit_host.h), handed to them when the
// runtime initialises the libraries. The core commands' host (command_host.h) is answered
// beside it.
#pragma once

namespace rc {

class UnitHost;
UnitHost& FrameUnitHost();

}  // namespace rc
