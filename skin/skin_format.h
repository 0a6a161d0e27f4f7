// The skin file format and its reader. The reader is shared by the skin library (a DLL without
// C runtime) and by the host tests and fuzzer, so it is plain code: no allocation, no library
// calls, only the fixed-width integer types. Everything it hands back points into the input or
// is copied into the caller's SkinInfo.
//
// Layout (little-endian; skin/README.md tells the same with the reasons):
//
//   offset  size  field
//   0       6     magic ".SHE", 0x00, 0x03
//   6       2     format version, 1
//   8       2     header size: where the first section starts (24 or more; later versions may
//                 add header fields, which this reader skips)
//   10      2     flags, 0 (reserved)
//   12      4     file size: the whole skin, header included; must equal the length handed over
//   16      4     checksum: FNV-1a (32 bit) of the bytes from the header size to the file size
//   20      2     section count
//   22      2     reserved, 0
//   24...         sections: a 4-byte tag, a 32-bit payload length, the payload
//
// Sections ("PALT" and "METR" must be present; each known tag at most once, except PICT once
// per slot; unknown tags are skipped):
//   "NAME"  the skin's name, 1 to 63 bytes of UTF-8
//   "PALT"  the palette: 3 bytes (R, G, B) per colour, at least kSkinColourCount colours, in
//           the order of SkinColour; more colours are allowed and ignored
//   "METR"  the metrics: one byte each, at least kSkinMetricCount, in the order of SkinMetric;
//           values above a metric's maximum count as the maximum
//   "PICT"  a small picture: slot (SkinPictureSlot), encoding (0 raw, 1 run-length), width and
//           height (16 bit each, 1 to kSkinPictureMaxSide), 2 reserved bytes, then the pixels
//           from the top row down: raw is R, G, B per pixel; run-length is a series of runs,
//           a byte n then: n 1..128 = one R, G, B repeated n times; n 129..255 = n - 128
//           pixels of R, G, B each; n 0 is invalid. The pixels must fill the picture exactly
//           and the runs must end exactly with the payload.
//   "PADD"  padding: any bytes (the generator writes zeros); it gives each skin the exact size
//           it ships with. The reader only counts its length.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace skin {

enum SkinColour {
  kFace = 0,               // window and dialog background
  kText,                   // text on the face
  kCaptionTop,             // active title bar, top and bottom of its gradient
  kCaptionBottom,          //
  kCaptionText,            //
  kInactiveCaptionTop,     // inactive title bar
  kInactiveCaptionBottom,  //
  kInactiveCaptionText,    //
  kFrame,                  // window frame around the client area
  kButtonTop,              // push button body, top and bottom of its gradient
  kButtonBottom,           //
  kButtonHoverTop,         // under the mouse
  kButtonHoverBottom,      //
  kButtonPressedTop,       // pushed
  kButtonPressedBottom,    //
  kButtonText,             //
  kButtonBorder,           // button, box, group and edit outlines
  kEditBack,               // edit boxes, check and radio marks' inside
  kEditText,               //
  kAccent,                 // selection, progress bar, radio dot, focus ring, default button
  kAccentText,             // text and marks on the accent
  kTrack,                  // scroll bar and progress bar track
  kThumb,                  // scroll bar thumb
  kDisabledText,           //
  kCloseHover,             // close button under the mouse
  kShadow,                 // dark edge lines
  kLight,                  // light edge lines
  kSkinColourCount
};

enum SkinMetric {
  kButtonRadius = 0,  // corner radius of buttons, 0..12
  kCaptionStyle,      // 0 flat, 1 gradient, 2 glass (gradient with a light upper band)
  kCaptionAlign,      // 0 left, 1 centre
  kCaptionButtons,    // 0 square, 1 rounded, 2 round
  kFrameLine,         // dark outer line of the window frame, 0..3 pixels
  kButtonStyle,       // 0 flat, 1 gradient, 2 glass
  kProgressStyle,     // 0 flat, 1 gradient, 2 glass with stripes
  kThumbRadius,       // corner radius of scroll bar thumbs, 0..8
  kFocusStyle,        // 0 dotted rectangle, 1 solid ring in the accent colour
  kCaptionBold,       // 0 normal, 1 bold title text
  kSkinMetricCount
};

// The largest value each metric takes.
extern const uint8_t kSkinMetricMax[kSkinMetricCount];

enum SkinPictureSlot {
  kPictureCaption = 0,      // active title bar, stretched over it
  kPictureInactiveCaption,  // inactive title bar
  kPictureButton,           // push button body, normal
  kPictureButtonHover,      //
  kPictureButtonPressed,    //
  kSkinPictureSlotCount
};

enum : uint32_t {
  kSkinVersion = 1,
  kSkinHeaderSize = 24,
  kSkinPictureMaxSide = 64,
  kSkinPictureMaxPixels = kSkinPictureMaxSide * kSkinPictureMaxSide,
  kSkinNameMax = 63,
};

enum SkinStatus {
  kSkinOk = 0,
  kSkinTooShort,     // fewer bytes than a header
  kSkinBadMagic,     // not ".SHE", 0, 3
  kSkinBadVersion,   // a version this reader does not know
  kSkinBadHeader,    // header size, flags or reserved words out of place
  kSkinBadSize,      // the file size field is not the length handed over
  kSkinBadChecksum,  //
  kSkinBadSection,   // a section runs past the end, or the count does not match
  kSkinDuplicate,    // a section that may come once came twice
  kSkinNoPalette,    //
  kSkinNoMetrics,    //
  kSkinBadPicture,   // bad slot, encoding, size or pixel data
  kSkinBadName,      //
};

// One picture as stored: its pixels are decoded on demand from the input bytes.
struct SkinPicture {
  const uint8_t* data;  // null when the skin has no picture in this slot
  uint32_t size;
  uint16_t width;
  uint16_t height;
  uint8_t encoding;
};

struct SkinInfo {
  uint16_t version;
  char name[kSkinNameMax + 1];         // zero-terminated, empty when there is none
  uint32_t colours[kSkinColourCount];  // 0x00RRGGBB
  uint8_t metrics[kSkinMetricCount];   // clamped to kSkinMetricMax
  SkinPicture pictures[kSkinPictureSlotCount];
  uint32_t padding;           // payload bytes of PADD sections
  uint32_t unknown_sections;  // sections skipped for an unknown tag
};

// FNV-1a over a byte range.
uint32_t SkinChecksum(const uint8_t* data, uint32_t size);

// Reads a whole skin. On any status but kSkinOk, *out is left zeroed.
SkinStatus ReadSkin(const uint8_t* data, uint32_t size, SkinInfo* out);

// Decodes a picture of a read skin into 0x00RRGGBB pixels, top row first. False when the
// pixels do not fit `capacity` or the data is malformed (ReadSkin has checked it already).
bool DecodeSkinPicture(const SkinPicture& picture, uint32_t* pixels, uint32_t capacity);

// A short text for a status, for messages and test output.
const char* SkinStatusText(SkinStatus status);

}  // namespace skin
