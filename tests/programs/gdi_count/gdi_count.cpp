// The soak loads this DLL into the running program and starts CountFreeGdiSlots there as a
// thread: GDI objects belong to a process and GetGuiResources tells nothing under Wine, so the
// free slots of the program's object table are counted from inside by making brushes until the
// system refuses one; they are given back at once. The thread's exit code is the count. No C++
// library: the DLL must load into the program on its own.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI CountFreeGdiSlots(void*) {
  constexpr DWORD kBound = 70000;  // stop there when the system never refuses
  auto* made = static_cast<HBRUSH*>(HeapAlloc(GetProcessHeap(), 0, kBound * sizeof(HBRUSH)));
  if (made == nullptr) return 0;
  DWORD n = 0;
  while (n < kBound && (made[n] = CreateSolidBrush(RGB(n & 0xFF, 1, 2))) != nullptr) ++n;
  for (DWORD i = 0; i < n; ++i) DeleteObject(made[i]);
  HeapFree(GetProcessHeap(), 0, made);
  return n;
}
