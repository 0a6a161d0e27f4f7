#!/usr/bin/env python3
"""Writes the program's skins from the readable list skin/skins.txt.

    scripts/make_skins.py [--list skin/skins.txt] [--out skin/skins] [--check]

Each line of the list gives a skin's number, its exact file size, its name and a few base
colours and shape choices; the full palette (skin/skin_format.h, SkinColour) is derived from
them, any role can also be set directly. The files are committed, so the build never runs this;
--check only verifies that the committed files are what the list gives (exit 1 otherwise).
The format is described in skin/skin_format.h and skin/README.md.
"""
import argparse
import os
import random
import struct
import sys

ROLES = [
    "face", "text", "caption_top", "caption_bottom", "caption_text",
    "inactive_caption_top", "inactive_caption_bottom", "inactive_caption_text", "frame",
    "button_top", "button_bottom", "button_hover_top", "button_hover_bottom",
    "button_pressed_top", "button_pressed_bottom", "button_text", "button_border",
    "edit_back", "edit_text", "accent", "accent_text", "track", "thumb", "disabled_text",
    "close_hover", "shadow", "light",
]
METRICS = ["radius", "title", "align", "capbuttons", "frameline", "buttons", "progress",
           "thumbradius", "focus", "bold"]
CHOICES = {
    "title": ["flat", "gradient", "glass"],
    "align": ["left", "centre"],
    "capbuttons": ["square", "rounded", "round"],
    "buttons": ["flat", "gradient", "glass"],
    "progress": ["flat", "gradient", "glass"],
    "focus": ["dotted", "ring"],
}
DEFAULT_METRICS = {"radius": 4, "title": "gradient", "align": "left", "capbuttons": "rounded",
                   "frameline": 1, "buttons": "gradient", "progress": "gradient", "thumbradius": 3,
                   "focus": "dotted", "bold": 0}
PICTURE_SLOTS = {"caption": 0, "inactive_caption": 1, "button": 2, "button_hover": 3,
                 "button_pressed": 4}
MAGIC = b".SHE\x00\x03"
VERSION = 1
HEADER_SIZE = 24


def parse_colour(text):
    if len(text) != 7 or text[0] != "#":
        raise ValueError(f"colour {text!r} is not #rrggbb")
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def mix(a, b, t):
    """a with a share t of b."""
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


WHITE, BLACK = (255, 255, 255), (0, 0, 0)


def lighten(c, t):
    return mix(c, WHITE, t)


def darken(c, t):
    return mix(c, BLACK, t)


def luminance(c):
    return (0.299 * c[0] + 0.587 * c[1] + 0.114 * c[2]) / 255


def readable_on(c, dark=(20, 20, 20)):
    return WHITE if luminance(c) < 0.6 else dark


def derive_palette(base):
    dark = base["mode"] == "dark"
    face, text, accent = base["face"], base["text"], base["accent"]
    top = base["caption"]
    bottom = base.get("caption2", darken(top, 0.2))
    button = base.get("button", lighten(face, 0.12) if dark else lighten(face, 0.55))
    caption_text = readable_on(mix(top, bottom, 0.5))
    grey_top = mix(mix(top, face, 0.6), (128, 128, 128), 0.25)
    grey_bottom = mix(mix(bottom, face, 0.6), (128, 128, 128), 0.25)
    p = {
        "face": face,
        "text": text,
        "caption_top": top,
        "caption_bottom": bottom,
        "caption_text": caption_text,
        "inactive_caption_top": grey_top,
        "inactive_caption_bottom": grey_bottom,
        "inactive_caption_text": mix(readable_on(mix(grey_top, grey_bottom, 0.5)),
                                     mix(grey_top, grey_bottom, 0.5), 0.3),
        "frame": bottom,
        "button_top": lighten(button, 0.18 if dark else 0.6),
        "button_bottom": button if not dark else darken(button, 0.05),
        "button_hover_top": mix(lighten(button, 0.25 if dark else 0.7), accent, 0.12),
        "button_hover_bottom": mix(button, accent, 0.22),
        "button_pressed_top": mix(darken(button, 0.2), accent, 0.25),
        "button_pressed_bottom": mix(darken(button, 0.08), accent, 0.18),
        "button_text": text,
        "button_border": mix(face, text, 0.45 if dark else 0.38),
        "edit_back": darken(face, 0.3) if dark else lighten(face, 0.85),
        "edit_text": text,
        "accent": accent,
        "accent_text": readable_on(accent),
        "track": lighten(face, 0.08) if dark else darken(face, 0.07),
        "thumb": mix(face, text, 0.4 if dark else 0.32),
        "disabled_text": mix(face, text, 0.45),
        "close_hover": (222, 60, 52),
        "shadow": darken(face, 0.5) if dark else darken(face, 0.38),
        "light": lighten(face, 0.2) if dark else lighten(face, 0.75),
    }
    for role in ROLES:
        if role in base:
            p[role] = base[role]
    return [p[r] for r in ROLES]


# Textures: tiled across the bar or button, stretched down its height.

def gloss(top, bottom, width=4, height=28):
    """A glassy bar: a light upper half with a crisp line at the middle, a deeper lower half."""
    rows = []
    for y in range(height):
        t = y / (height - 1)
        if t < 0.48:
            c = mix(lighten(top, 0.45), lighten(top, 0.12), t / 0.48)
        else:
            c = mix(top, bottom, (t - 0.48) / 0.52)
        if y == 0:
            c = lighten(c, 0.5)
        rows.append([c] * width)
    return rows


def noise(top, bottom, seed, width=32, height=28):
    """Chalk dust: a gradient sprinkled with faint light specks."""
    rng = random.Random(seed)
    rows = []
    for y in range(height):
        base = mix(top, bottom, y / (height - 1))
        row = []
        for _ in range(width):
            r = rng.random()
            row.append(lighten(base, 0.10) if r < 0.12 else darken(base, 0.06) if r < 0.2 else base)
        rows.append(row)
    return rows


def stripes(top, bottom, width=12, height=28):
    """Fine diagonal pinstripes over a gradient."""
    rows = []
    for y in range(height):
        base = mix(top, bottom, y / (height - 1))
        rows.append([lighten(base, 0.12) if (x + y) % width < 2 else base for x in range(width)])
    return rows


def encode_raw(rows):
    return b"".join(bytes(c) for row in rows for c in row)


def encode_rle(rows):
    pixels = [c for row in rows for c in row]
    out = bytearray()
    i = 0
    while i < len(pixels):
        run = 1
        while i + run < len(pixels) and run < 128 and pixels[i + run] == pixels[i]:
            run += 1
        if run >= 2:
            out.append(run)
            out += bytes(pixels[i])
            i += run
            continue
        j = i
        lit = []
        while j < len(pixels) and len(lit) < 127:
            if j + 1 < len(pixels) and pixels[j + 1] == pixels[j]:
                break
            lit.append(pixels[j])
            j += 1
        out.append(128 + len(lit))
        for c in lit:
            out += bytes(c)
        i = j
    return bytes(out)


def picture_section(slot, rows, encoding):
    height, width = len(rows), len(rows[0])
    data = encode_raw(rows) if encoding == "raw" else encode_rle(rows)
    head = struct.pack("<BBHHH", PICTURE_SLOTS[slot], 0 if encoding == "raw" else 1, width,
                       height, 0)
    return section(b"PICT", head + data)


def section(tag, payload):
    return tag + struct.pack("<I", len(payload)) + payload


def build_skin(entry):
    palette = derive_palette(entry["base"])
    named = dict(zip(ROLES, palette))
    metrics = []
    for m in METRICS:
        v = entry["metrics"][m]
        metrics.append(CHOICES[m].index(v) if m in CHOICES else int(v))
    sections = [
        section(b"NAME", entry["name"].replace("_", " ").encode("utf-8")),
        section(b"PALT", b"".join(bytes(c) for c in palette)),
        section(b"METR", bytes(metrics)),
    ]
    tex = entry.get("titletex")
    if tex:
        kind, enc = tex
        for slot, a, b in (("caption", "caption_top", "caption_bottom"),
                           ("inactive_caption", "inactive_caption_top", "inactive_caption_bottom")):
            top, bottom = named[a], named[b]
            rows = {"gloss": lambda: gloss(top, bottom),
                    "noise": lambda: noise(top, bottom, entry["number"]),
                    "stripes": lambda: stripes(top, bottom)}[kind]()
            sections.append(picture_section(slot, rows, enc))
    tex = entry.get("buttontex")
    if tex:
        kind, enc = tex
        for slot, a, b in (("button", "button_top", "button_bottom"),
                           ("button_hover", "button_hover_top", "button_hover_bottom"),
                           ("button_pressed", "button_pressed_top", "button_pressed_bottom")):
            sections.append(picture_section(slot, gloss(named[a], named[b], 2, 24), enc))
    body = b"".join(sections)
    pad = entry["size"] - HEADER_SIZE - len(body) - 8
    if pad < 0:
        raise ValueError(f"skin {entry['number']} needs {-pad} bytes more than its size")
    body += section(b"PADD", bytes(pad))
    header = MAGIC + struct.pack("<HHHIIHH", VERSION, HEADER_SIZE, 0, HEADER_SIZE + len(body),
                                 fnv1a(body), len(sections) + 1, 0)
    data = header + body
    assert len(data) == entry["size"]
    return data


def fnv1a(data):
    h = 2166136261
    for b in data:
        h = ((h ^ b) * 16777619) & 0xFFFFFFFF
    return h


def parse_list(path):
    entries = []
    with open(path, encoding="utf-8") as f:
        for n, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip() if line.lstrip().startswith("#") else line.strip()
            if not line:
                continue
            fields = line.split()
            try:
                entry = {"number": int(fields[0]), "size": int(fields[1]), "name": fields[2],
                         "base": {"mode": "light"}, "metrics": dict(DEFAULT_METRICS)}
                for item in fields[3:]:
                    key, value = item.split("=", 1)
                    if key in ("face", "text", "caption", "caption2", "accent", "button") or \
                            key in ROLES:
                        entry["base"][key] = parse_colour(value)
                    elif key == "mode":
                        if value not in ("light", "dark"):
                            raise ValueError(f"mode {value!r}")
                        entry["base"]["mode"] = value
                    elif key in ("titletex", "buttontex"):
                        kind, _, enc = value.partition(":")
                        enc = enc or "rle"
                        if enc not in ("raw", "rle"):
                            raise ValueError(f"coding {enc!r}")
                        entry[key] = (kind, enc)
                    elif key in CHOICES:
                        if value not in CHOICES[key]:
                            raise ValueError(f"{key}={value!r}")
                        entry["metrics"][key] = value
                    elif key in METRICS:
                        entry["metrics"][key] = int(value)
                    else:
                        raise ValueError(f"unknown key {key!r}")
                for need in ("face", "text", "caption", "accent"):
                    if need not in entry["base"]:
                        raise ValueError(f"{need} missing")
            except (ValueError, IndexError) as e:
                sys.exit(f"{path}:{n}: {e}")
            entries.append(entry)
    numbers = [e["number"] for e in entries]
    if numbers != list(range(1, len(entries) + 1)):
        sys.exit(f"{path}: skins must be numbered 1, 2, ... in order")
    return entries


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--list", default=os.path.join(root, "skin", "skins.txt"))
    ap.add_argument("--out", default=os.path.join(root, "skin", "skins"))
    ap.add_argument("--check", action="store_true")
    args = ap.parse_args()
    entries = parse_list(args.list)
    os.makedirs(args.out, exist_ok=True)
    stale = 0
    for e in entries:
        data = build_skin(e)
        path = os.path.join(args.out, f"{e['number']:02d}.she")
        if args.check:
            try:
                with open(path, "rb") as f:
                    same = f.read() == data
            except OSError:
                same = False
            if not same:
                print(f"{path} is not what {args.list} gives", file=sys.stderr)
                stale += 1
            continue
        with open(path, "wb") as f:
            f.write(data)
    if not args.check:
        print(f"{len(entries)} skins written to {args.out}, "
              f"{sum(e['size'] for e in entries)} bytes in all")
    return 1 if stale else 0


if __name__ == "__main__":
    sys.exit(main())
