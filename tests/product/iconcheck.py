#!/usr/bin/env python3
"""Looks at Corven's icons as a person sees them: each image drawn at its real size over the
classic dialog face (192,192,192) and over white, as Windows draws an icon (AND mask, then colour).

  iconcheck.py IMAGE_FOLDER [--sheet OUT.png]

Each image must stand out from both faces:
- Its outline: at least 90% of its edge pixels (drawn pixels beside a transparent one or the
  image's border) differ from the face by a contrast ratio of 3:1 or more. That is the WCAG 2.1
  threshold for graphical objects a person must make out (success criterion 1.4.11).
- Its body: at most 25% of its drawn pixels are near the face's colour (contrast under 1.5:1), so
  the figure reads as a shape of its own and not as a hole in the dialog.
The warning sign must read as one at 16x16: at least 30 yellow pixels, with black in them.
The four animation frames share one mask, and each differs from every other in at least 10% of
its drawn pixels: the light visibly moves, frame to frame and over the loop.
--sheet writes a contact sheet of every image at real size and 4x, on both faces.
"""
import struct
import sys
import zlib

FACES = {"dialog face": (192, 192, 192), "white": (255, 255, 255)}
IMAGES = ["program32", "program16", "floppy32", "anim1", "anim2", "anim3", "anim4"]
YELLOW, BLACK = (255, 255, 0), (0, 0, 0)


def read_dib(path):
    """The image as rows of (r, g, b) or None for transparent, top row first."""
    data = open(path, "rb").read()
    width, height2 = struct.unpack_from("<ii", data, 4)
    height = height2 // 2
    palette = [(data[40 + 4 * i + 2], data[40 + 4 * i + 1], data[40 + 4 * i]) for i in range(16)]
    colour_row = (width * 4 + 31) // 32 * 4
    mask_row = (width + 31) // 32 * 4
    bits = 40 + 64
    mask = bits + colour_row * height
    rows = []
    for y in range(height - 1, -1, -1):  # stored bottom-up
        row = []
        for x in range(width):
            byte = data[bits + y * colour_row + x // 2]
            index = byte & 0x0F if x % 2 else byte >> 4
            clear = data[mask + y * mask_row + x // 8] & (0x80 >> (x % 8))
            row.append(None if clear else palette[index])
        rows.append(row)
    return rows


def luminance(rgb):
    def channel(c):
        c /= 255
        return c / 12.92 if c <= 0.03928 else ((c + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


def edge_pixels(rows):
    n = len(rows)
    for y in range(n):
        for x in range(n):
            if rows[y][x] is None:
                continue
            neighbours = [(x + dx, y + dy) for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1))]
            if any(not (0 <= nx < n and 0 <= ny < n) or rows[ny][nx] is None for nx, ny in neighbours):
                yield rows[y][x]


def check(images):
    faults = []
    for name in IMAGES:
        rows = images[name]
        drawn = [p for row in rows for p in row if p is not None]
        edges = list(edge_pixels(rows))
        for face_name, face in FACES.items():
            outline = sum(contrast(p, face) >= 3 for p in edges) / len(edges)
            blends = sum(contrast(p, face) < 1.5 for p in drawn) / len(drawn)
            print("%-10s on the %-11s outline %3.0f%% at 3:1 or more, %3.0f%% of the body near the face"
                  % (name, face_name, 100 * outline, 100 * blends))
            if outline < 0.9:
                faults.append("%s on the %s: only %.0f%% of its outline stands out" % (name, face_name, 100 * outline))
            if blends > 0.25:
                faults.append("%s on the %s: %.0f%% of it is the face's colour" % (name, face_name, 100 * blends))
    small = [p for row in images["program16"] for p in row]
    yellow, black = small.count(YELLOW), small.count(BLACK)
    print("program16: %d yellow and %d black pixels" % (yellow, black))
    if yellow < 30 or black == 0:
        faults.append("the warning sign does not read at 16x16 (%d yellow, %d black)" % (yellow, black))
    frames = [images["anim%d" % i] for i in range(1, 5)]
    masks = [[[p is None for p in row] for row in f] for f in frames]
    if any(m != masks[0] for m in masks):
        faults.append("the animation frames do not share one mask")
    drawn = sum(not c for row in masks[0] for c in row)
    for a in range(4):
        for b in range(a + 1, 4):
            moved = sum(pa != pb for ra, rb in zip(frames[a], frames[b]) for pa, pb in zip(ra, rb))
            print("anim%d and anim%d differ in %3.0f%% of the disc" % (a + 1, b + 1, 100 * moved / drawn))
            if moved < 0.1 * drawn:
                faults.append("anim%d and anim%d hardly differ" % (a + 1, b + 1))
    return faults


def write_png(path, pixels):
    height, width = len(pixels), len(pixels[0])
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in pixels)

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                  + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def contact_sheet(images, path):
    """One row per face: every image at real size, then at 4x, on 8-pixel margins."""
    cell = 32 * 4 + 8
    width = len(IMAGES) * (32 + 8) + len(IMAGES) * cell + 8
    sheet = []
    for face in FACES.values():
        band = [[face] * width for _ in range(cell + 8)]
        x = 8
        for scale in (1, 4):
            for name in IMAGES:
                rows = images[name]
                for y, row in enumerate(rows):
                    for px, p in enumerate(row):
                        for sy in range(scale):
                            for sx in range(scale):
                                band[8 + y * scale + sy][x + px * scale + sx] = p or face
                x += (32 if scale == 1 else 32 * 4) + 8
        sheet.extend(band)
    write_png(path, sheet)


def main():
    folder = sys.argv[1]
    images = {name: read_dib("%s/%s.dib" % (folder, name)) for name in IMAGES}
    if "--sheet" in sys.argv:
        contact_sheet(images, sys.argv[sys.argv.index("--sheet") + 1])
    faults = check(images)
    for fault in faults:
        print("FAULT: " + fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
