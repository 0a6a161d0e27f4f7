// Just enough of the Windows API for the picture decoders (runtime/draw/decode.cpp, jpeg.cpp,
// bitmap.cpp, resample.cpp) to build natively, so that libFuzzer runs them under ASan/UBSan.
// The functions are defined by picture_decode_fuzz.cpp, which reads what the system would
// read from the headers it is handed.
#pragma once

#include <stddef.h>  // size_t, as the real header gives it
#include <cstdint>

using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using UINT = unsigned;
using BOOL = int;
using HANDLE = void*;
using HGDIOBJ = void*;
using HBRUSH = void*;
using HBITMAP = struct StubBitmap*;
using HDC = struct StubDc*;
using HICON = struct StubIcon*;

#define TRUE 1
#define FALSE 0
#define BI_RGB 0u
#define BI_BITFIELDS 3u
#define DIB_RGB_COLORS 0u
#define SRCCOPY 0x00CC0020u
#define LR_DEFAULTCOLOR 0u
#define DI_NORMAL 3u

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "the layout files use");

struct RGBQUAD {
  BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section,
                         DWORD offset);
BOOL DeleteObject(HGDIOBJ object);
HDC CreateCompatibleDC(HDC dc);
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
BOOL DeleteDC(HDC dc);
BOOL GdiFlush();
int StretchDIBits(HDC dc, int x, int y, int width, int height, int src_x, int src_y, int src_width,
                  int src_height, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop);
HICON CreateIconFromResourceEx(BYTE* data, DWORD size, BOOL icon, DWORD version, int width,
                               int height, UINT flags);
BOOL DrawIconEx(HDC dc, int x, int y, HICON icon, int width, int height, UINT step, HBRUSH brush,
                UINT flags);
BOOL DestroyIcon(HICON icon);
