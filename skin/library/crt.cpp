// The library links no C runtime; the compiler may still emit calls to these for copies and
// clears of structures.
#include <stddef.h>

extern "C" {

void* memset(void* dest, int value, size_t n) {
  unsigned char* d = static_cast<unsigned char*>(dest);
  while (n--) *d++ = static_cast<unsigned char>(value);
  return dest;
}

void* memcpy(void* dest, const void* src, size_t n) {
  unsigned char* d = static_cast<unsigned char*>(dest);
  const unsigned char* s = static_cast<const unsigned char*>(src);
  while (n--) *d++ = *s++;
  return dest;
}

}  // extern "C"
