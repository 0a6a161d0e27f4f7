// Properties of the SysVolume unit type: index, kind and name of each, and the type's
// stored data: the member holding each stored property, the values a write is brought into and
// what a change does. Declared once for the unit type, the form data, the form compiler, the
// tests and the application's face.
#pragma once

#include "forms/props/property.h"

namespace rc::props::sys_volume {

// The type's own properties in index order, from index 8.
inline constexpr int32_t kCount = kFirstOwn;

}  // namespace rc::props::sys_volume
