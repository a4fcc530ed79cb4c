#!/bin/bash
# Draws Velkora's pictures from Debian's tools (ImageMagick, DejaVu fonts,
# python3) and writes them into res/: the banner (a progressive JPEG of
# 594 x 33), the program icon with six images and the pointing-hand cursor.
# The results are committed; run this again only to change them.
set -euo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

# Banner: a blue gradient from left to right with the lettering. Columns 112
# to 515 are the ones the window shows.
convert -size 33x594 gradient:'#5d9be6'-'#0d2f73' -rotate -90 \
  \( -size 594x33 xc:none -fill '#ffffff30' -draw 'rectangle 0,0 593,15' \) -composite \
  -font "$font" -pointsize 19 -fill white -stroke '#0a2356' -strokewidth 1 \
  -annotate +124+24 'Velkora' \
  -font "$font" -pointsize 9 -stroke none -fill '#dbe8ff' -annotate +216+23 'kişisel ileti' \
  -strip -interlace Plane -quality 90 -sampling-factor 2x2 "res/banner.jpg"

# Icon art: a white V on a blue disc.
convert -size 256x256 xc:none -fill '#1f5fbf' -stroke '#0a2356' -strokewidth 8 \
  -draw 'circle 128,128 128,8' -stroke none -fill white \
  -draw 'polygon 60,70 100,70 128,160 156,70 196,70 146,200 110,200' "$work/icon.png"
for s in 48 32 16; do
  convert "$work/icon.png" -resize ${s}x${s} -depth 8 "rgba:$work/rgba$s"
done
# The largest image is stored PNG-compressed, as icons may hold it.
convert "$work/icon.png" -resize 128x128 -strip "PNG32:$work/icon128.png"
for s in 32 16; do
  convert "$work/icon.png" -resize ${s}x${s} -background '#e0e0e0' -alpha remove -colors 255 -depth 8 "rgb:$work/rgb$s"
  convert "$work/icon.png" -resize ${s}x${s} -alpha extract -threshold 50% -depth 8 "gray:$work/mask$s"
done

python3 - "$work" <<'PY'
import struct, sys
work = sys.argv[1]

def and_mask(w, h, opaque):
    stride = ((w + 31) // 32) * 4
    rows = []
    for y in reversed(range(h)):
        row = bytearray(stride)
        for x in range(w):
            if not opaque(x, y):
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    return b''.join(rows)

def header(w, h, bits, colors):
    return struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, bits, 0, 0, 0, 0, colors, 0)

def image32(s):
    px = open(f'{work}/rgba{s}', 'rb').read()
    xor = b''.join(bytes((px[4*(y*s+x)+2], px[4*(y*s+x)+1], px[4*(y*s+x)], px[4*(y*s+x)+3]))
                   for y in reversed(range(s)) for x in range(s))
    return header(s, s, 32, 0) + xor + and_mask(s, s, lambda x, y: px[4*(y*s+x)+3] >= 128)

def image8(s):
    px = open(f'{work}/rgb{s}', 'rb').read()
    mask = open(f'{work}/mask{s}', 'rb').read()
    colors = sorted({px[3*i:3*i+3] for i in range(s*s)})
    assert len(colors) <= 256
    index = {c: i for i, c in enumerate(colors)}
    palette = b''.join(bytes((c[2], c[1], c[0], 0)) for c in colors) + bytes(4 * (256 - len(colors)))
    stride = (s + 3) // 4 * 4
    xor = b''.join(bytes(index[px[3*(y*s+x):3*(y*s+x)+3]] if mask[y*s+x] else 0 for x in range(s)) + bytes(stride - s)
                   for y in reversed(range(s)))
    return header(s, s, 8, 256) + palette + xor + and_mask(s, s, lambda x, y: mask[y*s+x] != 0)

def directory(kind, entries):
    out = struct.pack('<HHH', 0, kind, len(entries))
    offset = 6 + 16 * len(entries)
    blobs = b''
    for w, colors, a, b, data in entries:
        out += struct.pack('<BBBBHHII', w % 256, w % 256, colors, 0, a, b, len(data), offset)
        offset += len(data)
        blobs += data
    return out + blobs

icon = [(32, 0, 1, 8, image8(32)), (16, 0, 1, 8, image8(16)),
        (128, 0, 1, 32, open(f'{work}/icon128.png', 'rb').read())] + \
       [(s, 0, 1, 32, image32(s)) for s in (48, 32, 16)]
open('res/velkora.ico', 'wb').write(directory(1, icon))

# The pointing hand, 32 x 32, 16 colours, hot spot at the fingertip (12, 1).
art = """
...........##...................
..........#WW#..................
..........#WW#..................
..........#WW#..................
..........#WW#..................
..........#WW###................
..........#WW#WW###.............
..........#WW#WW#WW##...........
..........#WW#WW#WW#W#..........
.......##.#WW#WW#WW#WW#.........
......#WW##WWWWWWWWWWW#.........
......#WWW#WWWWWWWWWWW#.........
.......#WWWWWWWWWWWWWW#.........
.......#WWWWWWWWWWWWWW#.........
........#WWWWWWWWWWWWW#.........
........#WWWWWWWWWWWW#..........
.........#WWWWWWWWWWW#..........
.........#WWWWWWWWWWW#..........
..........#WWWWWWWWW#...........
..........#WWWWWWWWW#...........
..........###########...........
"""
rows = [r for r in art.strip('\n').split('\n')]
rows = [r.ljust(32, '.') for r in rows] + ['.' * 32] * (32 - len(rows))
# Shift the art so that the fingertip's top sits at (12, 1).
rows = ['.' * 32] + [('.' + r)[:32] for r in rows[:31]]
palette = [(0, 0, 0), (255, 255, 255)] + [(0, 0, 0)] * 14
pal = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
xor = b''
for y in reversed(range(32)):
    row = bytearray(16)
    for x in range(32):
        v = {'#': 0, 'W': 1, '.': 0}[rows[y][x]]
        row[x // 2] |= v << (4 if x % 2 == 0 else 0)
    xor += bytes(row)
mask = and_mask(32, 32, lambda x, y: rows[y][x] != '.')
cursor = header(32, 32, 4, 16) + pal + xor + mask
open('res/hand.cur', 'wb').write(directory(2, [(32, 16, 12, 1, cursor)]))
PY
echo "res/banner.jpg res/velkora.ico res/hand.cur written"
