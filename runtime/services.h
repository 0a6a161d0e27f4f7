// The runtime services of entry point 13 (program.h, kService*): file search steps, the private
// copy of a constant array, the exit routine, property access on library data objects and
// InitRuntime.
#pragma once

#include <cstdint>

namespace rc {

struct FileSearch;

// One step of a file search. With *search null a new search for `pattern` starts; the next
// match is returned as a new text (GBK, owned by the caller), or null when there is none more.
// Of the attribute mask only 0x37 counts: read-only 0x01, hidden 0x02, system 0x04, folder 0x10,
// archive 0x20. Hidden, system and folder entries are found only when the mask asks for them;
// "." and ".." never are.
char* FileSearchStep(FileSearch** search, const char* pattern, uint32_t mask);
// Closes a search; null is ignored.
void CloseFileSearch(FileSearch* search);

// A private heap copy of an array value (e.g. one lying in the constant data); texts and byte
// blocks of the elements are copied too. Null when the array or its element type is unknown.
void* CopyArrayValue(uint32_t tag, const void* array);

// Entry point 13: the service `number` with its own arguments.
uintptr_t RuntimeService(uint32_t number, ...);

}  // namespace rc
