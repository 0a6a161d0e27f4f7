// Exports of the DLL command tests; testdll.def gives them fixed ordinals.
#include <cstdint>

extern "C" {

__stdcall int32_t AddStd(int32_t a, int32_t b) {
  return a + b;
}

__cdecl int32_t AddCdecl(int32_t a, int32_t b) {
  return a + b;
}

__stdcall int32_t Answer() {
  return 42;
}
}
