// Checks the embedded skin blocks: stored block layout, the library image equal to the built
// SkinH_EL.dll beside this program, 33 readable skins of the shipped sizes, and all of it in
// the read-only data section (the runtime's constant range). Exit code 0 when all hold; the
// first fault is printed.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "skin/skin_blocks.h"
#include "skin/skin_format.h"

namespace {

constexpr uint32_t kSizes[33] = {15574, 9533,  19786, 19497, 17699, 41098, 12564, 18930, 13192,
                                 24409, 30738, 8321,  26370, 15733, 12105, 23603, 20863, 16746,
                                 11676, 17997, 12882, 37461, 30958, 25715, 34523, 28961, 29447,
                                 15562, 20738, 18765, 31134, 44110, 20275};

uint32_t Word(const uint8_t* p) {
  uint32_t v;
  std::memcpy(&v, p, 4);
  return v;
}

bool InReadOnlyData(const uint8_t* p, uint32_t n) {
  auto* base = reinterpret_cast<const uint8_t*>(GetModuleHandleW(nullptr));
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
      base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_SECTION_HEADER* s = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++s) {
    if (std::memcmp(s->Name, ".rdata", 7) != 0) continue;
    const uint8_t* start = base + s->VirtualAddress;
    return p >= start && p + n <= start + s->Misc.VirtualSize;
  }
  return false;
}

int Fail(const char* what, int n) {
  std::printf("skin blocks: %s (%d)\n", what, n);
  return 1;
}

}  // namespace

int main() {
  const uint8_t* image = app::kSkinLibraryImage;
  if (Word(image) != 1 || Word(image + 4) != 88576) return Fail("library block header", 0);
  if (!InReadOnlyData(image, 8 + 88576)) return Fail("library block not constant data", 0);
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dll(path, n);
  dll.erase(dll.find_last_of(L"\\/") + 1);
  dll += L"SkinH_EL.dll";
  std::vector<uint8_t> file;
  if (FILE* f = _wfopen(dll.c_str(), L"rb")) {
    int c;
    while ((c = std::fgetc(f)) != EOF) file.push_back(uint8_t(c));
    std::fclose(f);
  }
  if (file.size() != 88576 || std::memcmp(file.data(), image + 8, file.size()) != 0) {
    return Fail("library block differs from SkinH_EL.dll", int(file.size()));
  }
  for (int i = 0; i < 33; ++i) {
    const uint8_t* b = app::kSkinBlocks[i];
    if (Word(b) != 1 || Word(b + 4) != kSizes[i]) return Fail("skin block header", i + 1);
    if (!InReadOnlyData(b, 8 + kSizes[i])) return Fail("skin block not constant data", i + 1);
    skin::SkinInfo info;
    if (skin::ReadSkin(b + 8, kSizes[i], &info) != skin::kSkinOk) return Fail("skin", i + 1);
  }
  std::printf("skin blocks: 33 skins and the library, as stored blocks in constant data\n");
  return 0;
}
