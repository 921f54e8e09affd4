#!/usr/bin/env python3
"""Turns rsvg-convert's RGBA renders into the skin's PNG files, with nothing but the standard library.

  pngtool.py body SRC OUT                  8-bit RGBA; fully transparent pixels get the wood colour
  pngtool.py crop SRC X Y W H OUT FORMAT   a rectangle of SRC; FORMAT is rgba, rgb or palette
  pngtool.py save SRC OUT FORMAT           the whole of SRC
  pngtool.py preview PNGDIR OUT            the radio as the player puts it together, on a checkerboard

Palette files are 8-bit indexed, opaque, without tRNS: at most 256 colours by median cut.
"""
import struct
import sys
import zlib

# A fully transparent pixel keeps a dark wood colour rather than black, so premultiplying shows.
HIDDEN_COLOUR = (96, 52, 24)
MAGENTA = (255, 0, 255)


def read_png(path):
    """Returns (width, height, rows), each row a bytearray of RGBA bytes."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG")
    pos, idat, palette, trns = 8, b"", None, None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b"IHDR":
            width, height, depth, ctype, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"PLTE":
            palette = [tuple(body[i:i + 3]) for i in range(0, len(body), 3)]
        elif kind == b"tRNS":
            trns = body
        elif kind == b"IDAT":
            idat += body
    if depth != 8 or interlace != 0 or ctype not in (0, 2, 3, 4, 6):
        sys.exit(f"{path}: only 8-bit, non-interlaced PNGs are read here")
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        unfilter(kind, line, prev, channels)
        rows.append(to_rgba(line, ctype, palette, trns))
        prev = line
    return width, height, rows


def unfilter(kind, line, prev, bpp):
    if kind == 1:
        for i in range(bpp, len(line)):
            line[i] = (line[i] + line[i - bpp]) & 255
    elif kind == 2:
        for i in range(len(line)):
            line[i] = (line[i] + prev[i]) & 255
    elif kind == 3:
        for i in range(len(line)):
            left = line[i - bpp] if i >= bpp else 0
            line[i] = (line[i] + ((left + prev[i]) >> 1)) & 255
    elif kind == 4:
        for i in range(len(line)):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            line[i] = (line[i] + paeth(a, b, c)) & 255


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def to_rgba(line, ctype, palette, trns):
    if ctype == 6:
        return line
    out = bytearray()
    if ctype == 2:
        for i in range(0, len(line), 3):
            out += line[i:i + 3] + b"\xff"
    elif ctype == 3:
        for index in line:
            alpha = trns[index] if trns and index < len(trns) else 255
            out += bytes(palette[index]) + bytes([alpha])
    elif ctype == 0:
        for v in line:
            out += bytes([v, v, v, 255])
    else:
        for i in range(0, len(line), 2):
            out += bytes([line[i]] * 3 + [line[i + 1]])
    return out


def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))


def write_png(path, width, height, lines, ctype, palette=None):
    """lines: the pixel bytes of each row in the file's own layout (1, 3 or 4 bytes a pixel)."""
    bpp = {2: 3, 3: 1, 6: 4}[ctype]
    raw, prev = bytearray(), bytearray(len(lines[0]))
    for line in lines:
        # Indexed rows compress best unfiltered; colour rows take the filter with the smallest sum.
        kinds = (0,) if ctype == 3 else (0, 1, 2, 3, 4)
        best = min((filtered(k, line, prev, bpp) for k in kinds), key=lambda f: sum(min(b, 256 - b) for b in f))
        raw += best
        prev = line
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, ctype, 0, 0, 0))
    if palette is not None:
        out += chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    out += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    open(path, "wb").write(out)


def filtered(kind, line, prev, bpp):
    out = bytearray([kind])
    for i, v in enumerate(line):
        a = line[i - bpp] if i >= bpp else 0
        b = prev[i]
        c = prev[i - bpp] if i >= bpp else 0
        pred = (0, a, b, (a + b) >> 1, paeth(a, b, c))[kind]
        out.append((v - pred) & 255)
    return out


def pixels(rows):
    return [[tuple(row[i:i + 4]) for i in range(0, len(row), 4)] for row in rows]


def median_cut(counts, size):
    """Splits the colour cube into `size` boxes; returns (palette, colour -> index)."""
    boxes = [list(counts)]
    while len(boxes) < size:
        def spread(box):
            if len(box) < 2:
                return -1
            ranges = [max(c[k] for c in box) - min(c[k] for c in box) for k in range(3)]
            return max(ranges) * sum(counts[c] for c in box) ** 0.5
        widest = max(boxes, key=spread)
        if spread(widest) <= 0:
            break
        axis = max(range(3), key=lambda k: max(c[k] for c in widest) - min(c[k] for c in widest))
        widest.sort(key=lambda c: c[axis])
        total, run, cut = sum(counts[c] for c in widest), 0, 1
        for i, c in enumerate(widest[:-1]):
            run += counts[c]
            cut = i + 1
            if run * 2 >= total:
                break
        boxes.remove(widest)
        boxes += [widest[:cut], widest[cut:]]
    palette, index = [], {}
    for box in boxes:
        weight = sum(counts[c] for c in box)
        palette.append(tuple(round(sum(c[k] * counts[c] for c in box) / weight) for k in range(3)))
        for c in box:
            index[c] = len(palette) - 1
    return palette, index


def save(path, grid, fmt):
    height, width = len(grid), len(grid[0])
    for row in grid:
        for p in row:
            if p[:3] == MAGENTA:
                sys.exit(f"{path}: a magenta pixel would be keyed out")
    if fmt == "rgba":
        write_png(path, width, height, [bytes(v for p in row for v in p) for row in grid], 6)
    elif fmt in ("rgb", "palette"):
        if any(p[3] != 255 for row in grid for p in row):
            sys.exit(f"{path}: {fmt} pictures must be opaque")
        if fmt == "rgb":
            write_png(path, width, height, [bytes(v for p in row for v in p[:3]) for row in grid], 2)
        else:
            counts = {}
            for row in grid:
                for p in row:
                    counts[p[:3]] = counts.get(p[:3], 0) + 1
            palette, index = median_cut(counts, 256)
            if MAGENTA in palette:
                sys.exit(f"{path}: the palette came out with magenta")
            write_png(path, width, height, [bytes(index[p[:3]] for p in row) for row in grid], 3, palette)
    else:
        sys.exit(f"unknown format {fmt}")


def body(src, out):
    _, _, rows = read_png(src)
    grid = [[p if p[3] else HIDDEN_COLOUR + (0,) for p in row] for row in pixels(rows)]
    save(out, grid, "rgba")


def crop(src, x, y, w, h, out, fmt):
    _, _, rows = read_png(src)
    grid = [row[x:x + w] for row in pixels(rows)[y:y + h]]
    save(out, grid, fmt)


def over(dst, src):
    a = src[3] / 255
    return tuple(round(src[k] * a + dst[k] * (1 - a)) for k in range(3)) + (255,)


def preview(folder, out):
    """Body blended on a checkerboard, every control face at its place, the knob at 200."""
    def load(name):
        return pixels(read_png(f"{folder}/{name}.png")[2])

    bg = load("bg")
    grid = [[over((150, 170, 200) if (x // 16 + y // 16) % 2 else (110, 130, 160), p)
             for x, p in enumerate(row)] for y, row in enumerate(bg)]

    def paste(name, px, py):
        for y, row in enumerate(load(name)):
            for x, p in enumerate(row):
                grid[py + y][px + x] = over(grid[py + y][px + x], p)

    for name, px, py in (("ecran", 134, 99), ("play", 168, 236), ("list", 215, 236), ("add", 266, 236),
                         ("minus", 315, 236), ("timeroff", 420, 252), ("onoff", 75, 252), ("vol", 132, 211)):
        paste(name, px, py)
    paste("knob", 132 + 200 - 5, 211 + 1)
    # The faces that never show together with the others, in a strip under the radio for a look.
    strip = [[(60, 60, 60, 255)] * len(grid[0]) for _ in range(44)]
    grid += strip
    for name, px in (("stop", 10), ("timeron", 60), ("tray", 110), ("knob", 160)):
        paste(name, px, len(bg) + 5)
    save(out, grid, "rgb")


def main(args):
    if args[:1] == ["body"] and len(args) == 3:
        body(args[1], args[2])
    elif args[:1] == ["crop"] and len(args) == 8:
        crop(args[1], *map(int, args[2:6]), args[6], args[7])
    elif args[:1] == ["save"] and len(args) == 4:
        _, _, rows = read_png(args[1])
        save(args[2], pixels(rows), args[3])
    elif args[:1] == ["preview"] and len(args) == 3:
        preview(args[1], args[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
