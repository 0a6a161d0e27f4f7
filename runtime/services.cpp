#include "runtime/services.h"

#include <windows.h>

#include <cstdarg>
#include <cstring>

#include "base/text_w.h"
#include "base/values.h"
#include "runtime/properties.h"
#include "runtime/initialisation.h"
#include "runtime/state.h"

namespace rc {

struct FileSearch {
  HANDLE handle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW data{};
  bool pending = false;  // data holds a match not yet looked at
};

namespace {

bool Wanted(const WIN32_FIND_DATAW& data, uint32_t mask) {
  if (std::wcscmp(data.cFileName, L".") == 0 || std::wcscmp(data.cFileName, L"..") == 0) {
    return false;
  }
  const uint32_t kOnlyWhenAsked =
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY;
  uint32_t special = data.dwFileAttributes & kOnlyWhenAsked;
  return (special & ~(mask & 0x37)) == 0;
}

}  // namespace

char* FileSearchStep(FileSearch** search, const char* pattern, uint32_t mask) {
  if (search == nullptr) return nullptr;
  if (*search == nullptr) {
    auto* fresh = new FileSearch;
    fresh->handle = FindFirstFileW(Wide(pattern).c_str(), &fresh->data);
    fresh->pending = fresh->handle != INVALID_HANDLE_VALUE;
    *search = fresh;
  }
  FileSearch* s = *search;
  while (s->handle != INVALID_HANDLE_VALUE) {
    if (!s->pending && !FindNextFileW(s->handle, &s->data)) break;
    s->pending = false;
    if (Wanted(s->data, mask)) return CopyText(Gbk(s->data.cFileName).c_str());
  }
  return nullptr;
}

void CloseFileSearch(FileSearch* search) {
  if (search == nullptr) return;
  if (search->handle != INVALID_HANDLE_VALUE) FindClose(search->handle);
  delete search;
}

void* CopyArrayValue(uint32_t tag, const void* array) {
  uint32_t element = ElementTag(tag);
  size_t item_size = ElementSize(element);
  if (array == nullptr || item_size == 0) return nullptr;
  size_t header = 4 + 4 * size_t(ArrayDimensions(array));
  size_t count = ArrayElementCount(array);
  size_t total = header + count * item_size;
  auto* copy = static_cast<unsigned char*>(AllocMem(total));
  std::memcpy(copy, array, total);
  if (element == kTagText || element == kTagBytes) {
    unsigned char* items = copy + header;
    for (size_t i = 0; i < count; ++i) {
      void* item;
      std::memcpy(&item, items + i * sizeof item, sizeof item);
      if (item != nullptr) {
        item = element == kTagText ? static_cast<void*>(CopyText(static_cast<const char*>(item)))
                                   : BytesToByteBlock(ByteBlockData(item), ByteBlockLength(item));
      }
      std::memcpy(items + i * sizeof item, &item, sizeof item);
    }
  }
  return copy;
}

uintptr_t RuntimeService(uint32_t number, ...) {
  va_list ap;
  va_start(ap, number);
  uintptr_t result = 0;
  switch (number) {
    case kServiceFileSearch: {
      auto* search = va_arg(ap, FileSearch**);
      const char* pattern = va_arg(ap, const char*);
      uint32_t mask = va_arg(ap, uint32_t);
      result = reinterpret_cast<uintptr_t>(FileSearchStep(search, pattern, mask));
      break;
    }
    case kServiceCloseFileSearch:
      CloseFileSearch(va_arg(ap, FileSearch*));
      break;
    case kServiceCopyConstantArray: {
      uint32_t tag = va_arg(ap, uint32_t);
      const void* array = va_arg(ap, const void*);
      result = reinterpret_cast<uintptr_t>(CopyArrayValue(tag, array));
      break;
    }
    case kServiceSetExitRoutine:
      TheRuntime().exit_routine = va_arg(ap, ExitRoutine);
      break;
    case kServiceReadObjectProperty:
    case kServiceWriteObjectProperty: {
      uint32_t type_code = va_arg(ap, uint32_t);
      auto* object = va_arg(ap, UnitObject*);
      int32_t index = va_arg(ap, int32_t);
      auto* value = va_arg(ap, PropertyValue*);
      result = number == kServiceReadObjectProperty
                   ? uintptr_t(ReadObjectProperty(type_code, object, index, value))
                   : uintptr_t(WriteObjectProperty(type_code, object, index, *value));
      break;
    }
    case kServiceInitRuntime:
      InitRuntime(va_arg(ap, const ProgramHeader*));
      break;
    default:
      break;
  }
  va_end(ap);
  return result;
}

}  // namespace rc
