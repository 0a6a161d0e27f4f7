// Properties of the SysVolume unit type: index, kind and name of each, declared once for the
// unit type, its stored data, its tests and the application's face.
#pragma once

#include "forms/props/property.h"

namespace rc::props::sys_volume {

// The type's own properties in index order, from index 8.
inline constexpr int32_t kCount = kFirstOwn;

}  // namespace rc::props::sys_volume
