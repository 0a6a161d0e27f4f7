#!/usr/bin/env bash
# Builds what a teacher downloads: dist/rollcall-6.0-win32.zip with
#   使用说明.txt     the guide, made from docs/使用说明.md (GBK, CRLF: any Notepad opens it)
#   rollcall.exe     the release build (scripts/build.sh win32-release: optimised, stripped)
#   v5.15njyls.wav   the background music, and v5.15gxj.mp3 the countdown alarm
# The program creates dede.ini and SkinH_EL.dll itself, so neither is packed. Without
# --update-server the program has no update address: it never goes on the network, and
# "检查更新" always says it cannot reach the server. With one (scheme, host and port, e.g.
# http://www.example.com:8080) it asks that server for its version file.
# Like scripts/run.sh, it first installs what is missing (scripts/setup.sh), so that it works
# first thing on a fresh clone.
# The zip is reproducible: fixed entry order, dates taken from the last commit (or
# SOURCE_DATE_EPOCH), fixed attributes and compression. Names are stored as UTF-8 with the
# UTF-8 flag set, which Windows' own "extract all" honours.
# Usage: scripts/package.sh [--no-build] [--no-setup] [--out DIR] [--update-server ADDRESS]
#   DIR default: dist/, or $ROLLCALL_DIST; --no-setup: the caller has run scripts/setup.sh
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${ROLLCALL_BUILD:-$ROOT/build}
OUT=${ROLLCALL_DIST:-$ROOT/dist}
do_build=1
do_setup=1
server=""
while [ $# -gt 0 ]; do
  case $1 in
    --no-build) do_build=0; shift ;;
    --no-setup) do_setup=0; shift ;;
    --out) OUT=$2; shift 2 ;;
    --update-server) server=$2; shift 2 ;;
    -h|--help) sed -n '2,16p' "$0"; exit 0 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

if [ $do_build = 1 ]; then
  [ $do_setup = 0 ] || bash "$ROOT/scripts/setup.sh"
  # The release build runs the host form compiler, and needs nothing else of the native build;
  # an up-to-date one costs nothing here.
  if [ ! -f "$BUILD/native/build.ninja" ]; then
    cmake -S "$ROOT" -B "$BUILD/native" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$BUILD/native" --target formc >/dev/null
  ROLLCALL_RELEASE_UPDATE_SERVER=$server bash "$ROOT/scripts/build.sh" win32-release
elif [ -n "$server" ]; then
  echo "package: --update-server needs a build (without --no-build)" >&2
  exit 2
fi

BIN=$BUILD/win32-release/bin
for f in rollcall.exe v5.15njyls.wav v5.15gxj.mp3; do
  [ -f "$BIN/$f" ] || { echo "package: $BIN/$f is missing" >&2; exit 1; }
done

epoch=${SOURCE_DATE_EPOCH:-$(git -C "$ROOT" log -1 --format=%ct 2>/dev/null || echo 1704067200)}
mkdir -p "$OUT"
python3 - "$ROOT/docs/使用说明.md" "$BIN" "$OUT/rollcall-6.0-win32.zip" "$epoch" <<'PY'
import os, re, sys, time, unicodedata, zipfile

guide_md, bin_dir, zip_path, epoch = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
WIDTH = 72  # display columns; a Chinese character takes two
# A line never starts with these: they stay on the line before, as in printed Chinese.
NO_LINE_START = set("，。、；：？！）」』”’》…%,.;:?!)")
NO_LINE_END = set("（「『“‘《(")


def width(text):
    return sum(2 if unicodedata.east_asian_width(c) in "WF" else 1 for c in text)


def tokens(text):
    """Characters, except that runs of ASCII letters, digits and signs stay whole."""
    return re.findall(r"[\x21-\x7e]+|\s|.", text)


def wrap(text, first, rest):
    lines, line = [], first
    for tok in tokens(text):
        fits = width(line) + width(tok) <= WIDTH or line.strip() == "" or tok in NO_LINE_START
        if fits:
            line += tok
        elif tok == " ":
            lines.append(line.rstrip())
            line = rest
        else:
            carried = ""
            while line[-1:] in NO_LINE_END and line.strip():
                carried, line = line[-1] + carried, line[:-1]
            lines.append(line.rstrip())
            line = rest + carried + tok
    lines.append(line.rstrip())
    return lines


def inline(text):
    text = re.sub(r"\*\*(.+?)\*\*", r"\1", text)
    text = re.sub(r"`([^`]*)`", r"\1", text)
    return re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", text)


def guide_text(md):
    out, code = [], False
    for raw in md.splitlines():
        if raw.startswith("```"):
            code = not code
            continue
        if code:
            out.append("    " + raw)
            continue
        if re.match(r"\s*!\[[^\]]*\]\([^)]*\)\s*$", raw):
            continue  # screenshots are in the Markdown guide only
        line = inline(raw.rstrip().removesuffix("\\"))
        heading = re.match(r"(#+)\s+(.*)", line)
        if heading:
            title = heading.group(2)
            out += [title, ("=" if len(heading.group(1)) == 1 else "-") * width(title)]
            continue
        item = re.match(r"(\s*)(- |\d+\. )(.*)", line)
        if item:
            bullet = "· " if item.group(2) == "- " else item.group(2)
            first = item.group(1) + bullet
            out += wrap(item.group(3), first, " " * width(first))
        else:
            indent = re.match(r"\s*", line).group(0)
            out += wrap(line[len(indent):], indent, indent)
    text = re.sub(r"\n{3,}", "\n\n", "\n".join(out).strip() + "\n")
    return text.replace("\n", "\r\n").encode("gbk")  # strict: a character GBK lacks fails here


with open(guide_md, encoding="utf-8") as f:
    guide = guide_text(f.read())

stamp = time.gmtime(max(epoch, 315532800))[:6]  # zip dates start in 1980
entries = [("使用说明.txt", guide)]
for name in ("rollcall.exe", "v5.15njyls.wav", "v5.15gxj.mp3"):
    with open(os.path.join(bin_dir, name), "rb") as f:
        entries.append((name, f.read()))

tmp = zip_path + ".part"
with zipfile.ZipFile(tmp, "w") as z:
    for name, data in entries:
        info = zipfile.ZipInfo(name, date_time=stamp)
        # A plain file: Unix mode 0644 beside the DOS archive bit. Made on "Unix", since some
        # unzip tools read the names of entries made on MS-DOS in an OEM code page.
        info.create_system = 3
        info.external_attr = (0o100644 << 16) | 0x20
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, data, compresslevel=9)
os.replace(tmp, zip_path)
PY

exe_size=$(stat -c %s "$BIN/rollcall.exe")
zip_size=$(stat -c %s "$OUT/rollcall-6.0-win32.zip")
echo "package: $OUT/rollcall-6.0-win32.zip ($zip_size bytes; rollcall.exe $exe_size bytes)"
