#!/usr/bin/env bash
# The skin gallery: a picture of the main window in each of the 33 skins (a called name, the
# side panel open, the answer timer off) in docs/skins/, a contact sheet of all of them with
# each skin's name and the lowest contrast ratio found on it (normal text / large text), and
# the README's gallery section pointing at them. The pictures and ratios come from the
# contrast scenario (tests/e2e/skin_contrast_scenarios.cpp), which fails when a text does not
# stand out; then nothing is written.
#   --no-build   use the program and tests built already
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
OUT=$ROOT/docs/skins
FONT=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf  # fonts-dejavu-core, with Xvfb's fonts

[ "${1:-}" = --no-build ] || bash "$ROOT/scripts/build.sh" win32
SHOTS=$(mktemp -d)
trap 'rm -rf "$SHOTS"' EXIT
ROLLCALL_SKIN_GALLERY=$SHOTS bash "$ROOT/scripts/test.sh" --no-setup --no-build --suite e2e \
  --filter 'SkinContrastScenario.*' | tail -1
[ "$(wc -l <"$SHOTS/contrast.txt")" -eq 33 ] || { echo "not every skin was shown" >&2; exit 1; }

mkdir -p "$OUT"
rm -f "$OUT"/*.png
tiles=()
links=()
while read -r number name normal large; do
  file=$(printf '%02d-%s.png' "$number" "$name")
  # A palette of 64 colours keeps a picture near 14 KB; the skins' flat faces lose nothing.
  convert "$SHOTS/$(printf '%02d' "$number").png" -strip -dither None -colors 64 "PNG8:$OUT/$file"
  tiles+=(-label "$number $name  $normal / $large" "$SHOTS/$(printf '%02d' "$number").png")
  links+=("[$number $name](docs/skins/$file) $normal / $large")
done < <(tr -d '\r' <"$SHOTS/contrast.txt" | sort -n)
montage -font "$FONT" -pointsize 13 -geometry 264x135+6+4 -tile 6x -background white \
  "${tiles[@]}" "$SHOTS/sheet.png"
convert "$SHOTS/sheet.png" -strip -dither None -colors 64 "PNG8:$OUT/contact_sheet.png"

# The README section between its two markers.
section=$(mktemp)
{
  echo '<!-- skin gallery: made by scripts/skin_gallery.sh -->'
  echo '![the 33 skins](docs/skins/contact_sheet.png)'
  echo
  joined=
  for link in "${links[@]}"; do joined+="${joined:+ · }$link"; done
  echo "$joined"
  echo '<!-- end of skin gallery -->'
} >"$section"
python3 - "$ROOT/README.md" "$section" <<'EOF'
import re, sys
readme, section = sys.argv[1], open(sys.argv[2], encoding="utf-8").read()
text = open(readme, encoding="utf-8").read()
pattern = re.compile(r"<!-- skin gallery:.*?<!-- end of skin gallery -->\n", re.S)
if not pattern.search(text):
    sys.exit("README.md has no skin gallery section")
open(readme, "w", encoding="utf-8").write(pattern.sub(lambda _: section, text))
EOF
rm -f "$section"
du -ch "$OUT"/*.png | tail -1
