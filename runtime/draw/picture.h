// Pictures of units (PicBox, Label, SuperBtn, window icons): decoded once from the stored file
// bytes, then drawn into rectangles in the layouts the units offer.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "runtime/draw/bitmap.h"

namespace rc::draw {

enum class PictureLayout {
  kTopLeft,  // own size at the top-left corner
  kStretch,  // scaled to fill the area
  kCentre,   // own size, centred; shrunk proportionally first when larger than the area
  kTile,     // repeated from the top-left corner
};

// PicBox display mode (0 top-left, 1 stretched, 2 centred); values outside clamp to the ends.
PictureLayout PicBoxLayout(int display_mode);
// Label picture mode (0 top-left, 1 tiled, 2 centred); values outside clamp to the ends.
PictureLayout LabelPictureLayout(int picture_mode);

// Where a picture of the given size lands in the area (for kTile, the first tile). A shrunk
// picture keeps its proportions: the smaller of the two scale factors applies, so one side
// fills the area exactly.
RECT PlacePicture(SIZE picture, const RECT& area, PictureLayout layout);

// An icon handle, destroyed with the object.
class Icon {
 public:
  Icon() = default;
  explicit Icon(HICON handle) : handle_(handle) {}
  Icon(Icon&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  Icon& operator=(Icon&& other) noexcept;
  Icon(const Icon&) = delete;
  Icon& operator=(const Icon&) = delete;
  ~Icon();

  HICON handle() const { return handle_; }
  bool empty() const { return handle_ == nullptr; }

 private:
  HICON handle_ = nullptr;
};

class Picture {
 public:
  Picture() = default;
  // JPEG, BMP or ICO file bytes. Anything else, and any file that cannot be read completely,
  // gives an empty picture: it draws nothing and nobody is told. An ICO file's own size is
  // that of its largest image; the image first decoded is the one for preferred_size design
  // pixels on a display of `display_dpi` (0: the largest), and drawing takes the file's image
  // for the size drawn at whenever that is another (ChooseIcoImage's rule).
  static Picture Decode(const uint8_t* data, size_t size, int preferred_size = 0,
                        int display_dpi = 96);

  Picture(Picture&&) = default;
  Picture& operator=(Picture&&) = default;

  bool empty() const { return pixels_.empty(); }
  int width() const { return pixels_.width(); }
  int height() const { return pixels_.height(); }
  bool has_alpha() const { return has_alpha_; }
  // Premultiplied BGRA, top-down.
  const Bitmap& pixels() const { return pixels_; }

  // Draws into area of dc, nothing outside it. Transparent pictures are blended over what is
  // there. A scaled copy is kept for the last size drawn, so repainting at one size scales once.
  // The picture's own size is in design pixels: at another DPI it is scaled smoothly.
  void Draw(HDC dc, const RECT& area, PictureLayout layout, int dpi = 96) const;

  // The picture at its own size on a display of `dpi`, for a control that shows a bitmap
  // itself; null when it cannot be made. It lives until the picture is next drawn or scaled to
  // another size.
  HBITMAP BitmapAt(int dpi) const;

  // A size x size icon of the picture, scaled to fit and centred.
  Icon MakeIcon(int size) const;

  // A picture of its own with the same pixels: cheaper than decoding the same bytes again.
  Picture Copy() const;

 private:
  const Bitmap* ScaledTo(int width, int height) const;
  void StretchFallback(HDC dc, const RECT& at, const RECT& clip) const;
  // For an icon file, takes its image nearest to `size` pixels when that is not the one held.
  void ChooseImage(SIZE size) const;

  // The size the picture is drawn at on a display of `dpi`.
  SIZE SizeAt(int dpi) const;

  // The pixels of the file, of the ICO image `image_` for an icon file: which one is drawn
  // from follows the size drawn at, a cache of the file like scaled_.
  mutable Bitmap pixels_;
  mutable bool has_alpha_ = false;
  mutable int image_ = -1;
  mutable SIZE chosen_for_{};  // the size drawn at when the image was last chosen
  std::shared_ptr<const std::vector<uint8_t>> icon_file_;  // an ICO file's bytes, else none
  SIZE own_{};                                             // in design pixels
  mutable Bitmap scaled_;
};

// A size x size icon from ICO (or other picture) file bytes, made from the file's image that
// suits that size best: for the big and small icons of a window. Empty when nothing decodes.
Icon MakeIconFromFile(const uint8_t* data, size_t size, int icon_size);

}  // namespace rc::draw
