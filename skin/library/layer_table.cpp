// The layers' window properties. Every message of every window passes our layers, and a layer
// needs the procedure under it and the window's state word, several reads per message. A
// window property read is a round trip to the window system (under Wine a server call), and
// the program's timers send a few hundred messages a second; so the three properties are also
// kept in a table of our own, which is what is read. The properties themselves stay, for other
// code to see, and for a window the table has no room for.
#include "skin/library/layers.h"

namespace skinlib {

namespace {

const wchar_t* const kSlotNames[kSlotCount] = {L"SkinH.lower", L"SkinH.upper", L"SkinH.state"};

struct LayerEntry {
  HWND hwnd;  // null: a free place
  uintptr_t value[kSlotCount];
};
constexpr unsigned kTableBits = 10;  // 1024 places, far more than the windows of a program
constexpr unsigned kTableSize = 1u << kTableBits;
constexpr unsigned kTableLoad = kTableSize * 3 / 4;
LayerEntry g_table[kTableSize];
unsigned g_table_used;

unsigned Home(HWND hwnd) {
  return (uint32_t(uintptr_t(hwnd)) * 2654435761u) >> (32 - kTableBits);
}
unsigned Next(unsigned i) {
  return (i + 1) & (kTableSize - 1);
}

// Open addressing: a window is found at its home place or after it, before the first free one.
LayerEntry* FindEntry(HWND hwnd) {
  for (unsigned i = Home(hwnd);; i = Next(i)) {
    if (g_table[i].hwnd == hwnd) return &g_table[i];
    if (g_table[i].hwnd == nullptr) return nullptr;
  }
}

// Set once a window had to do without an entry: from then on a window that has none may still
// have properties, and they are read.
bool g_table_overflowed;

LayerEntry* AddEntry(HWND hwnd) {
  if (g_table_used >= kTableLoad) {
    g_table_overflowed = true;
    return nullptr;
  }
  unsigned i = Home(hwnd);
  while (g_table[i].hwnd != nullptr) i = Next(i);
  g_table[i].hwnd = hwnd;
  for (int s = 0; s < kSlotCount; ++s) {
    g_table[i].value[s] =
        g_table_overflowed ? reinterpret_cast<uintptr_t>(GetPropW(hwnd, kSlotNames[s])) : 0;
  }
  ++g_table_used;
  return &g_table[i];
}

// Takes an entry out and moves later ones of the same run back, so that no search stops early.
void RemoveEntry(LayerEntry* entry) {
  unsigned hole = unsigned(entry - g_table);
  g_table[hole].hwnd = nullptr;
  --g_table_used;
  for (unsigned i = Next(hole); g_table[i].hwnd != nullptr; i = Next(i)) {
    const unsigned home = Home(g_table[i].hwnd);
    // The entry may fill the hole when its home is not in the cyclic range (hole, i].
    const bool stays = hole < i ? (home > hole && home <= i) : (home > hole || home <= i);
    if (stays) continue;
    g_table[hole] = g_table[i];
    g_table[i].hwnd = nullptr;
    hole = i;
  }
}

}  // namespace

uintptr_t GetLayerProp(HWND hwnd, Slot slot) {
  if (const LayerEntry* e = FindEntry(hwnd)) return e->value[slot];
  if (!g_table_overflowed) return 0;
  return reinterpret_cast<uintptr_t>(GetPropW(hwnd, kSlotNames[slot]));
}

void SetLayerProp(HWND hwnd, Slot slot, uintptr_t value) {
  SetPropW(hwnd, kSlotNames[slot], reinterpret_cast<HANDLE>(value));
  LayerEntry* e = FindEntry(hwnd);
  if (e == nullptr) e = AddEntry(hwnd);
  if (e != nullptr) e->value[slot] = value;
}

void RemoveLayerProp(HWND hwnd, Slot slot) {
  RemovePropW(hwnd, kSlotNames[slot]);
  LayerEntry* e = FindEntry(hwnd);
  if (e == nullptr) return;
  e->value[slot] = 0;
  for (int s = 0; s < kSlotCount; ++s) {
    if (e->value[s] != 0) return;
  }
  RemoveEntry(e);
}

}  // namespace skinlib
