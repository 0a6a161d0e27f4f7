// The support libraries this runtime offers, in the order of this program's library table:
// core, extended user interface one, extended user interface two, internet, application
// interface, multimedia. Each carries its data types (unit types among them) and a notify
// function through which the runtime hands it the runtime's own notify function.
#pragma once

#include <cstdint>

#include "base/program.h"
#include "runtime/library.h"

namespace rc {

extern const LibraryDescriptor kCoreLibrary;
extern const LibraryDescriptor kExtendedUiOneLibrary;
extern const LibraryDescriptor kExtendedUiTwoLibrary;
extern const LibraryDescriptor kInternetLibrary;
extern const LibraryDescriptor kAppInterfaceLibrary;
extern const LibraryDescriptor kMultimediaLibrary;

// The six in table order, for a program header.
extern const LibraryDescriptor* const kStandardLibraries[6];

}  // namespace rc
