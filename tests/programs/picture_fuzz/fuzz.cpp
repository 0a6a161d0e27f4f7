// Random pictures through the program's own picture path: Picture::Decode (JPEG through libjpeg,
// BMP and ICO through GDI and USER after our header checks), drawing in every layout, and the
// icons made from files. The decoders need the Windows API, so this runs under Wine instead of
// libFuzzer: every file of the seed folders is decoded as it is (the fixed cases, crashes found
// earlier among them), then mutated copies from a fixed seed, so that a run can be repeated.
// A crash writes the input that caused it to crash-<n>.bin in the current folder and ends the
// program with exit code 3; memory that grows with the inputs (a leak) ends it with 4; a pass
// ends with 0.
// Usage: picture_fuzz.exe ITERATIONS SEED FOLDER...
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "runtime/draw/picture.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes* g_current = nullptr;
unsigned g_iteration = 0;

void SaveCurrent() {
  if (g_current == nullptr) return;
  char name[64];
  std::snprintf(name, sizeof name, "crash-%u.bin", g_iteration);
  if (FILE* f = std::fopen(name, "wb")) {
    std::fwrite(g_current->data(), 1, g_current->size(), f);
    std::fclose(f);
  }
  std::printf("crash at input %u (%u bytes): saved as %s\n", g_iteration,
              unsigned(g_current->size()), name);
  std::fflush(stdout);
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* e) {
  std::printf("exception 0x%08lX at %p\n", e->ExceptionRecord->ExceptionCode,
              e->ExceptionRecord->ExceptionAddress);
  SaveCurrent();
  ExitProcess(3);
}

class Random {
 public:
  explicit Random(uint32_t seed) : s_(seed ? seed : 1) {}
  uint32_t Next() {
    s_ ^= s_ << 13;
    s_ ^= s_ >> 17;
    s_ ^= s_ << 5;
    return s_;
  }
  uint32_t Below(uint32_t n) { return n == 0 ? 0 : Next() % n; }

 private:
  uint32_t s_;
};

Bytes ReadAll(const std::wstring& path) {
  Bytes out;
  HANDLE f =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return out;
  LARGE_INTEGER size{};
  GetFileSizeEx(f, &size);
  out.resize(size_t(size.QuadPart));
  DWORD got = 0;
  if (!out.empty() && !ReadFile(f, out.data(), DWORD(out.size()), &got, nullptr)) got = 0;
  out.resize(got);
  CloseHandle(f);
  return out;
}

void AddFolder(const std::wstring& dir, std::vector<Bytes>* seeds) {
  WIN32_FIND_DATAW found;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
      seeds->push_back(ReadAll(dir + L"\\" + found.cFileName));
    }
  } while (FindNextFileW(h, &found));
  FindClose(h);
}

// Values that sit at the edges of the fields the headers hold.
const uint32_t kEdges[] = {0,          1,          2,          0x7F,       0x80,    0xFF,
                           0x100,      0x7FFF,     0x8000,     0xFFFF,     0x10000, 0x7FFFFFFF,
                           0x80000000, 0xFFFFFFFF, 0xFFFFFFFE, 0x40000000, 16385,   1025};

void PutLe(Bytes& b, size_t at, uint32_t v, int n) {
  for (int i = 0; i < n && at + i < b.size(); ++i) b[at + i] = uint8_t(v >> (8 * i));
}

Bytes Mutate(const std::vector<Bytes>& seeds, Random& r) {
  Bytes b = seeds[r.Below(uint32_t(seeds.size()))];
  const int steps = 1 + int(r.Below(6));
  for (int s = 0; s < steps; ++s) {
    // Most picture headers lie in the first hundred bytes: aim there more often.
    const size_t span = b.empty() ? 1 : (r.Below(2) ? std::min<size_t>(b.size(), 128) : b.size());
    const size_t at = r.Below(uint32_t(span));
    switch (r.Below(8)) {
      case 0:
        if (!b.empty()) b[at % b.size()] ^= uint8_t(1u << r.Below(8));
        break;
      case 1:
        if (!b.empty()) b[at % b.size()] = uint8_t(r.Next());
        break;
      case 2:
        PutLe(b, at, kEdges[r.Below(sizeof kEdges / sizeof kEdges[0])], r.Below(2) ? 2 : 4);
        break;
      case 3:
        b.resize(r.Below(uint32_t(b.size() + 1)));
        break;
      case 4: {  // a piece of the file again somewhere else
        if (b.size() < 2) break;
        const size_t from = r.Below(uint32_t(b.size())), n = r.Below(uint32_t(b.size() - from));
        const Bytes piece(b.begin() + from, b.begin() + from + std::min<size_t>(n, 4096));
        b.insert(b.begin() + (at % b.size()), piece.begin(), piece.end());
        break;
      }
      case 5: {  // random bytes inserted
        const size_t n = 1 + r.Below(64);
        Bytes piece(n);
        for (uint8_t& c : piece) c = uint8_t(r.Next());
        b.insert(b.begin() + std::min(at, b.size()), piece.begin(), piece.end());
        break;
      }
      case 6: {  // the tail of another seed
        const Bytes& other = seeds[r.Below(uint32_t(seeds.size()))];
        if (other.empty()) break;
        const size_t from = r.Below(uint32_t(other.size()));
        b.resize(std::min(at, b.size()));
        b.insert(b.end(), other.begin() + from, other.end());
        break;
      }
      default: {  // a JPEG segment length, or the byte after a marker
        for (size_t i = at; i + 3 < b.size(); ++i) {
          if (b[i] == 0xFF && b[i + 1] >= 0xC0 && b[i + 1] != 0xFF) {
            PutLe(b, i + 2, kEdges[r.Below(sizeof kEdges / sizeof kEdges[0])], 2);
            break;
          }
        }
        break;
      }
    }
  }
  return b;
}

double PrivateMb() {
  PROCESS_MEMORY_COUNTERS m{};
  m.cb = sizeof m;
  return GetProcessMemoryInfo(GetCurrentProcess(), &m, sizeof m) ? m.PagefileUsage / 1048576.0 : 0;
}

struct Counts {
  unsigned inputs = 0, decoded = 0;
};

void Exercise(const Bytes& b, HDC dc, Counts* counts) {
  g_current = &b;
  ++counts->inputs;
  const uint8_t* data = b.empty() ? nullptr : b.data();
  for (int preferred : {0, 16, 32}) {
    rc::draw::Picture pic = rc::draw::Picture::Decode(data, b.size(), preferred);
    if (pic.empty()) break;
    if (preferred == 0) ++counts->decoded;
    const RECT areas[] = {{0, 0, 64, 48}, {3, 5, 4, 6}, {0, 0, 300, 7}, {10, 10, 10, 10}};
    for (const RECT& area : areas) {
      for (auto layout : {rc::draw::PictureLayout::kTopLeft, rc::draw::PictureLayout::kStretch,
                          rc::draw::PictureLayout::kCentre, rc::draw::PictureLayout::kTile}) {
        pic.Draw(dc, area, layout);
      }
    }
    rc::draw::Icon icon = pic.MakeIcon(preferred == 0 ? 32 : preferred);
  }
  rc::draw::Icon small = rc::draw::MakeIconFromFile(data, b.size(), 16);
  g_current = nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::printf("usage: picture_fuzz ITERATIONS SEED FOLDER...\n");
    return 2;
  }
  SetUnhandledExceptionFilter(OnCrash);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  const unsigned iterations = unsigned(std::strtoul(argv[1], nullptr, 10));
  Random random(uint32_t(std::strtoul(argv[2], nullptr, 10)));
  std::vector<Bytes> seeds;
  for (int i = 3; i < argc; ++i) {
    std::wstring dir;
    for (const char* p = argv[i]; *p; ++p) dir.push_back(wchar_t(*p == '/' ? '\\' : *p));
    AddFolder(dir, &seeds);
  }
  if (seeds.empty()) {
    std::printf("no seed files\n");
    return 2;
  }

  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP target = CreateCompatibleBitmap(screen, 320, 240);
  HGDIOBJ old = SelectObject(dc, target);
  ReleaseDC(nullptr, screen);

  Counts fixed, mutated;
  const DWORD start = GetTickCount();
  double settled = 0;
  try {
    for (const Bytes& s : seeds) Exercise(s, dc, &fixed);
    settled = PrivateMb();
    for (g_iteration = 1; g_iteration <= iterations; ++g_iteration) {
      Exercise(Mutate(seeds, random), dc, &mutated);
      if (g_iteration % 5000 == 0) {
        std::printf("%u inputs, %.1f MB private\n", g_iteration, PrivateMb());
        std::fflush(stdout);
      }
    }
  } catch (const std::bad_alloc&) {
    std::printf("out of memory\n");
    SaveCurrent();
    return 3;
  }
  SelectObject(dc, old);
  DeleteObject(target);
  DeleteDC(dc);
  const double grown = PrivateMb() - settled;
  std::printf(
      "%u seed files (%u decode), %u mutated inputs (%u decode) in %.1f s; private bytes "
      "grew by %.1f MB\n",
      fixed.inputs, fixed.decoded, mutated.inputs, mutated.decoded,
      (GetTickCount() - start) / 1000.0, grown);
  // Every picture, bitmap and icon made here is gone again.
  return grown > 16 ? 4 : 0;
}
