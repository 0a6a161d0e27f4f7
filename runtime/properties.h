// ReadProperty and WriteProperty (entry points 5 and 6): the common properties 0 to 7 on the
// unit record and its native window, the type's own properties through its interface.
#pragma once

#include <cstdint>

#include "runtime/library.h"

namespace rc {

uint64_t ReadProperty(uint32_t window_id, uint32_t unit_id, int32_t index, int32_t element);
void WriteProperty(uint32_t window_id, uint32_t unit_id, int32_t index, int32_t element,
                   uint32_t lo, uint32_t hi);

// Runtime services 4 and 5: a property (index from 0, the type's own numbering) of an object of
// a library data type. 1 on success.
int ReadObjectProperty(uint32_t type_code, UnitObject* object, int32_t index, PropertyValue* out);
int WriteObjectProperty(uint32_t type_code, UnitObject* object, int32_t index,
                        const PropertyValue& value);

}  // namespace rc
