// JPEG pictures through libjpeg. libjpeg reports fatal errors through its error manager's
// error_exit, which must not return; the default one ends the process, so ours jumps back to
// the decoder, which then gives up on the picture. The frame that calls setjmp holds nothing
// with a destructor: everything that needs cleaning up lives in the Session, outside it.
#include <csetjmp>
#include <cstdio>
#include <utility>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

#include "runtime/draw/decode.h"

namespace rc::draw {

namespace {

// A damaged progressive file can announce a huge number of scans, each of them a pass over
// the whole image; real pictures have a dozen at most.
constexpr int kMaxScans = 500;

struct Session {
  jpeg_decompress_struct cinfo = {};
  struct Error {
    jpeg_error_mgr mgr;
    jmp_buf jump;
    bool damaged;
  } error = {};
  jpeg_progress_mgr progress = {};
  Bitmap bitmap;
  std::vector<JSAMPLE> row;  // one CMYK row
};

Session::Error* ErrorOf(j_common_ptr cinfo) {
  return reinterpret_cast<Session::Error*>(cinfo->err);
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  longjmp(ErrorOf(cinfo)->jump, 1);
}

void EmitMessage(j_common_ptr cinfo, int level) {
  if (level >= 0) return;  // trace messages
  // Warnings that mean the image data is cut short or broken; libjpeg would fill the rest with
  // grey, but a half picture is not the picture, so it counts as undecodable. Other warnings
  // (stray bytes between markers and the like) are harmless and ignored.
  switch (cinfo->err->msg_code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_MUST_RESYNC:
    case JWRN_NOT_SEQUENTIAL:
    case JWRN_BOGUS_PROGRESSION:
      ErrorOf(cinfo)->damaged = true;
      break;
    default:
      break;
  }
}

void OutputMessage(j_common_ptr) {}

void Progress(j_common_ptr cinfo) {
  auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
  if (d->input_scan_number > kMaxScans) ErrorExit(cinfo);
}

inline uint32_t Bgra(uint32_t r, uint32_t g, uint32_t b) {
  return b | g << 8 | r << 16 | 0xFF000000u;
}

// CMYK as Adobe applications write it (with an Adobe marker) is stored inverted: 255 means no
// ink. Without the marker the values are plain ink amounts.
void CmykRow(const JSAMPLE* in, uint32_t* out, int width, bool inverted) {
  for (int x = 0; x < width; ++x, in += 4) {
    uint32_t c = in[0], m = in[1], y = in[2], k = in[3];
    if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
    out[x] = Bgra((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
  }
}

bool Run(Session* s, const uint8_t* data, size_t size) {
  j_decompress_ptr ci = &s->cinfo;
  ci->err = jpeg_std_error(&s->error.mgr);
  s->error.mgr.error_exit = ErrorExit;
  s->error.mgr.emit_message = EmitMessage;
  s->error.mgr.output_message = OutputMessage;
  if (setjmp(s->error.jump)) {
    jpeg_destroy_decompress(ci);
    return false;
  }
  jpeg_create_decompress(ci);
  s->progress.progress_monitor = Progress;
  ci->progress = &s->progress;
  jpeg_mem_src(ci, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(ci, TRUE) != JPEG_HEADER_OK) ErrorExit(reinterpret_cast<j_common_ptr>(ci));

  bool cmyk = false;
  switch (ci->jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
      ci->out_color_space = JCS_EXT_BGRA;  // alpha filled with 0xFF
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      ci->out_color_space = JCS_CMYK;
      cmyk = true;
      break;
    default:
      ErrorExit(reinterpret_cast<j_common_ptr>(ci));
  }
  if (ci->image_width > unsigned(kMaxPictureSide) || ci->image_height > unsigned(kMaxPictureSide) ||
      int64_t(ci->image_width) * ci->image_height > kMaxPicturePixels) {
    ErrorExit(reinterpret_cast<j_common_ptr>(ci));
  }
  jpeg_start_decompress(ci);
  const int width = static_cast<int>(ci->output_width);
  s->bitmap = Bitmap::Create(width, static_cast<int>(ci->output_height));
  if (s->bitmap.empty()) ErrorExit(reinterpret_cast<j_common_ptr>(ci));
  if (cmyk) s->row.resize(static_cast<size_t>(width) * 4);
  while (ci->output_scanline < ci->output_height) {
    uint32_t* out = s->bitmap.row(static_cast<int>(ci->output_scanline));
    JSAMPROW row = cmyk ? s->row.data() : reinterpret_cast<JSAMPROW>(out);
    if (jpeg_read_scanlines(ci, &row, 1) != 1) ErrorExit(reinterpret_cast<j_common_ptr>(ci));
    if (cmyk) CmykRow(row, out, width, ci->saw_Adobe_marker);
  }
  jpeg_finish_decompress(ci);
  jpeg_destroy_decompress(ci);
  return !s->error.damaged;
}

}  // namespace

Decoded DecodeJpeg(const uint8_t* data, size_t size) {
  Session s;
  Decoded out;
  if (!data || size == 0) return out;
  // Some writers leave out the end marker. With it put back, a file that lacks nothing else
  // decodes cleanly, while one whose image data is cut short now meets the marker inside the
  // data, which libjpeg reports as damage.
  std::vector<uint8_t> ended;
  if (size < 2 || data[size - 2] != 0xFF || data[size - 1] != JPEG_EOI) {
    ended.reserve(size + 2);
    ended.assign(data, data + size);
    ended.push_back(0xFF);
    ended.push_back(JPEG_EOI);
    data = ended.data();
    size = ended.size();
  }
  if (Run(&s, data, size)) out.pixels = std::move(s.bitmap);
  return out;
}

}  // namespace rc::draw
