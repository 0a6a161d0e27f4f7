#!/usr/bin/python3
"""Draws the program's pictures into app/forms/pictures/ (Debian: python3-pil).

The outputs are committed, so the build needs no drawing tools; rerun this after changing a
drawing. Every picture is shown far smaller than it is stored (38 x 30, 34 x 34, 31 x 30, the
window icon at 16 and 32), so the drawings use few bold shapes, strokes of at least two pixels
at the shown size, and strong contrast. Each one is drawn at four times its design size and
reduced with a box filter, which gives clean anti-aliased edges.

Usage: scripts/make_pictures.py [--preview DIR]
  --preview DIR   also writes each picture reduced to the size it is shown at, for a look
"""

import argparse
import io
import math
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw

SS = 4  # supersampling factor

WHITE = (255, 255, 255)
INK = (34, 45, 62)  # the speaker body, near black with a blue cast
SOUND_GREEN = (30, 150, 70)
STOP_RED = (214, 40, 40)
BELL_GOLD = (255, 193, 7)
BELL_EDGE = (110, 70, 0)
RING_ORANGE = (230, 81, 0)
BELL_GREY = (176, 176, 176)
GREY_EDGE = (80, 80, 80)
CARD_BLUE = (27, 79, 156)
NAME_ORANGE = (240, 120, 0)


class Canvas:
    """A drawing surface in design units, SS times as many pixels underneath."""

    def __init__(self, width, height, background):
        if isinstance(background, int):
            mode = "L"
        else:
            mode = "RGBA" if len(background) == 4 else "RGB"
        self.width, self.height = width, height
        self.image = Image.new(mode, (width * SS, height * SS), background)
        self.draw = ImageDraw.Draw(self.image)

    @staticmethod
    def _p(points):
        return [(x * SS, y * SS) for x, y in points]

    def polygon(self, points, fill):
        self.draw.polygon(self._p(points), fill=fill)

    def rounded_polygon(self, points, fill, radius):
        """A polygon with corners rounded by radius; it grows by radius on every side."""
        self.polygon(points, fill)
        self.polyline(points + [points[0]], fill, 2 * radius)

    def clipped(self, draw, clip):
        """Runs draw(layer) on a clear layer and lays the result over this canvas, only where
        clip(mask) paints the mask (with 255)."""
        layer = Canvas(self.width, self.height, (0, 0, 0, 0))
        draw(layer)
        mask = Canvas(self.width, self.height, 0)
        clip(mask)
        alpha = ImageChops.multiply(layer.image.getchannel("A"), mask.image)
        layer.image.putalpha(alpha)
        base = self.image.convert("RGBA")
        base.alpha_composite(layer.image)
        self.image = base.convert(self.image.mode)
        self.draw = ImageDraw.Draw(self.image)

    def circle(self, cx, cy, r, fill):
        self.draw.ellipse([(cx - r) * SS, (cy - r) * SS, (cx + r) * SS, (cy + r) * SS], fill=fill)

    def ellipse(self, box, fill):
        self.draw.ellipse([v * SS for v in box], fill=fill)

    def rounded_rect(self, box, radius, fill):
        self.draw.rounded_rectangle([v * SS for v in box], radius=radius * SS, fill=fill)

    def polyline(self, points, fill, width):
        """A stroke with round caps and joints."""
        pts = self._p(points)
        self.draw.line(pts, fill=fill, width=round(width * SS), joint="curve")
        for x, y in pts:
            r = width * SS / 2
            self.draw.ellipse([x - r, y - r, x + r, y + r], fill=fill)

    def arc(self, cx, cy, r, start_deg, end_deg, fill, width):
        """A stroked arc with round caps; angles in degrees, clockwise from the +x axis."""
        steps = max(8, int(abs(end_deg - start_deg) / 2))
        pts = []
        for i in range(steps + 1):
            a = math.radians(start_deg + (end_deg - start_deg) * i / steps)
            pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
        self.polyline(pts, fill, width)

    def result(self):
        return self.image.resize((self.width, self.height), Image.BOX)


def resized(image, size):
    return image.resize(size, Image.LANCZOS)


# ---- Music switch of the main window: the design is 38 x 30 shown size times 20 ----------

SPEAKER_W, SPEAKER_H = 760, 600


def speaker_body(c):
    # The magnet box and the cone, as one shape with softened corners.
    c.rounded_polygon(
        [(95, 230), (225, 230), (370, 90), (370, 510), (225, 370), (95, 370)], INK, 26)


def speaker_on():
    c = Canvas(SPEAKER_W, SPEAKER_H, WHITE)
    speaker_body(c)
    # Two sound waves, each stroke about three pixels wide at the shown size.
    c.arc(395, 300, 150, -48, 48, SOUND_GREEN, 62)
    c.arc(395, 300, 285, -46, 46, SOUND_GREEN, 62)
    return c.result()


def speaker_off():
    c = Canvas(SPEAKER_W, SPEAKER_H, WHITE)
    speaker_body(c)
    # A red cross where the waves were.
    cx, cy, h = 570, 300, 115
    c.polyline([(cx - h, cy - h), (cx + h, cy + h)], STOP_RED, 74)
    c.polyline([(cx - h, cy + h), (cx + h, cy - h)], STOP_RED, 74)
    return c.result()


# ---- Alarm switch of the countdown window: a 600 x 600 design, shown at 34 x 34 ----------

BELL = 600


def bell_shape(c, fill, grow):
    """The bell grown by grow design units on every side (grow > 0 paints the outline)."""
    g = grow
    c.circle(300, 112, 30 + g, fill)  # the knob
    c.circle(300, 245, 120 + g, fill)  # the crown
    c.polygon([(180 - g, 245), (420 + g, 245), (470 + g, 420), (130 - g, 420)], fill)
    c.rounded_rect((95 - g, 400 - g, 505 + g, 462 + g), 28 + g, fill)  # the lip
    c.circle(300, 490, 44 + g, fill)  # the clapper


def bell_on():
    c = Canvas(BELL, BELL, WHITE)
    # Ringing strokes on both sides first, so the bell's outline stays whole over them.
    for r in (200, 278):
        c.arc(300, 300, r, -152 - 22, -152 + 22, RING_ORANGE, 36)
        c.arc(300, 300, r, -28 - 22, -28 + 22, RING_ORANGE, 36)
    bell_shape(c, BELL_EDGE, 26)
    bell_shape(c, BELL_GOLD, 0)
    # A highlight on the crown keeps the bell from reading as a flat blob.
    c.arc(300, 245, 80, 200, 250, (255, 236, 150), 24)
    return c.result()


def bell_off():
    c = Canvas(BELL, BELL, WHITE)
    bell_shape(c, GREY_EDGE, 26)
    bell_shape(c, BELL_GREY, 0)
    # A red bar across it, set off from the bell by a white rim.
    a, b = (95, 95), (505, 505)
    c.polyline([a, b], WHITE, 118)
    c.polyline([a, b], STOP_RED, 70)
    return c.result()


# ---- Program icon: a name card with a person on it ----------------------------------------
# Also the credits picture of the countdown window (64 x 56) under a grey two-line caption at
# its top left, so that corner holds only light, plain areas.

ICON = 256


def program_icon():
    c = Canvas(ICON, ICON, (0, 0, 0, 0))
    # The card's top edge runs between the two lines of that caption.
    blue, white = CARD_BLUE + (255,), WHITE + (255,)
    c.rounded_rect((4, 44, 252, 236), 28, blue)
    c.rounded_rect((20, 60, 236, 220), 14, white)

    def person(layer):  # head and shoulders, at the right
        layer.circle(178, 118, 34, blue)
        layer.ellipse((116, 164, 240, 280), blue)

    c.clipped(person, lambda mask: mask.rounded_rect((20, 60, 236, 220), 14, 255))
    # The called name: two bold lines at the left, the first one picked out in orange.
    c.polyline([(46, 142), (102, 142)], NAME_ORANGE + (255,), 26)
    c.polyline([(46, 184), (90, 184)], blue, 22)
    return c.result()


# ---- Skin button: a painter's palette -------------------------------------------------------


def skin_icon():
    c = Canvas(ICON, ICON, (0, 0, 0, 0))
    edge = (93, 64, 55, 255)
    wood = (245, 222, 170, 255)
    # Outline first, then the board; the thumb hole and the notch cut back to transparent,
    # each with a rim of its own.
    board = (10, 34, 246, 222)
    c.ellipse(board, edge)
    c.ellipse((24, 48, 232, 208), wood)
    c.clipped(lambda layer: layer.circle(238, 170, 48, edge), lambda mask: mask.ellipse(board, 255))
    c.circle(238, 170, 34, (0, 0, 0, 0))
    c.circle(176, 162, 32, edge)
    c.circle(176, 162, 19, (0, 0, 0, 0))
    for (x, y), colour in (((70, 112), (229, 57, 53)), ((120, 78), (253, 200, 0)),
                           ((180, 92), (67, 160, 71)), ((86, 166), (30, 120, 229))):
        c.circle(x, y, 27, edge)
        c.circle(x, y, 21, colour + (255,))
    return c.result()


# ---- Files ------------------------------------------------------------------------------


def png_bytes(image):
    out = io.BytesIO()
    image.save(out, "PNG", optimize=True)
    return out.getvalue()


def ico_bytes(image):
    """An ICO file holding the one 256 x 256 image as PNG (width and height 0 mean 256)."""
    png = png_bytes(image)
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 32, len(png), 6 + 16)
    return header + entry + png


def save_jpeg(image, path):
    # Full chroma resolution: the red and green strokes are only a few pixels wide when shown.
    image.save(path, "JPEG", quality=92, subsampling=0, optimize=True)


def credits_caption(image):
    """The countdown window's grey caption over the credits picture, for the preview."""
    try:
        from PIL import ImageFont
        font = ImageFont.truetype("/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc", 12)
    except OSError:
        return
    draw = ImageDraw.Draw(image)
    draw.text((0, 0), "岚川软件", font=font, fill=(96, 96, 96))
    draw.text((0, 12), "作者QQ：", font=font, fill=(96, 96, 96))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--preview", metavar="DIR")
    args = parser.parse_args()

    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    out = os.path.join(root, "app", "forms", "pictures")
    os.makedirs(out, exist_ok=True)

    speaker = speaker_on()
    muted = speaker_off()
    ring = bell_on()
    silent = bell_off()
    icon = program_icon()
    skin = skin_icon()

    # (file, image, stored size, shown sizes)
    jpegs = [
        ("speaker_on.jpg", speaker, (658, 523), [(38, 30)]),
        ("speaker_off.jpg", muted, (128, 128), [(38, 30)]),
        ("bell_on.jpg", ring, (256, 256), [(34, 34)]),
        ("bell_off.jpg", silent, (512, 512), [(34, 34)]),
    ]
    for name, image, size, _ in jpegs:
        save_jpeg(resized(image, size), os.path.join(out, name))
    for name, image in (("program.ico", icon), ("skin_button.ico", skin)):
        with open(os.path.join(out, name), "wb") as f:
            f.write(ico_bytes(image))

    if args.preview:
        os.makedirs(args.preview, exist_ok=True)
        shows = [(n, Image.open(os.path.join(out, n)).convert("RGB"), s) for n, _, _, s in jpegs]
        shows.append(("program.ico", icon, [(64, 56), (32, 32), (16, 16)]))
        shows.append(("skin_button.ico", skin, [(24, 24), (31, 30)]))
        for name, image, sizes in shows:
            for w, h in sizes:
                small = image.resize((w, h), Image.BOX)
                if small.mode == "RGBA":  # as drawn over a button face
                    face = Image.new("RGBA", small.size, (240, 240, 240, 255))
                    small = Image.alpha_composite(face, small).convert("RGB")
                if (name, w, h) == ("program.ico", 64, 56):
                    credits_caption(small)
                big = small.resize((w * 8, h * 8), Image.NEAREST)
                stem = os.path.splitext(name)[0]
                big.save(os.path.join(args.preview, f"{stem}_{w}x{h}.png"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
