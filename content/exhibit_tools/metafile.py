"""Writes simple vector drawings as Windows metafiles (WMF) and enhanced
metafiles (EMF): filled rectangles, lines, arrow heads and text.

Used once to produce the exhibit pictures in this folder (see
make_exhibits.py); the program only reads the results. Coordinates are
pixels at 96 dpi, origin top left.
"""
import struct


class Drawing:
    def __init__(self, width, height, background=0xFFFFFF):
        self.width, self.height = width, height
        self.ops = []
        self.rect(0, 0, width, height, fill=background, pen=background)

    def rect(self, x, y, w, h, fill=None, pen=0x000000):
        self.ops.append(("rect", x, y, w, h, pen, fill))

    def line(self, x1, y1, x2, y2, pen=0x000000):
        self.ops.append(("line", x1, y1, x2, y2, pen))

    def arrow(self, x1, y1, x2, y2, pen=0x000000):
        """A line from (x1, y1) with an arrow head at (x2, y2)."""
        self.line(x1, y1, x2, y2, pen)
        dx, dy = x2 - x1, y2 - y1
        length = max((dx * dx + dy * dy) ** 0.5, 1)
        ux, uy = dx / length, dy / length
        bx, by = x2 - 9 * ux, y2 - 9 * uy
        pts = [(x2, y2), (round(bx - 4 * uy), round(by + 4 * ux)), (round(bx + 4 * uy), round(by - 4 * ux))]
        self.ops.append(("poly", pts, pen))

    def text(self, x, y, s, size=13, bold=False, color=0x000000):
        """Text whose top left corner is at (x, y); size is the cell height."""
        self.ops.append(("text", x, y, s, size, bold, color))

    # Colours are written as 0x00BBGGRR; callers give 0xRRGGBB.
    @staticmethod
    def colorref(rgb):
        return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | (rgb >> 16)

    def objects(self):
        """Every pen, brush and font the drawing needs, created once up front."""
        pens, brushes, fonts = [], [], []
        for op in self.ops:
            if op[0] == "rect":
                pens.append(op[5])
                brushes.append(op[6])
            elif op[0] in ("line",):
                pens.append(op[5])
            elif op[0] == "poly":
                pens.append(op[2])
                brushes.append(op[2])
            elif op[0] == "text":
                fonts.append((op[4], op[5]))
        unique = lambda xs: list(dict.fromkeys(xs))
        return unique(pens), unique(brushes), unique(fonts)


def _chars(op):
    return op[3].encode("cp1252")


# ---------------------------------------------------------------- WMF

def wmf(d: Drawing) -> bytes:
    pens, brushes, fonts = d.objects()
    index = {}
    recs = []

    def rec(func, payload):
        assert len(payload) % 2 == 0
        recs.append(struct.pack("<IH", 3 + len(payload) // 2, func) + payload)

    rec(0x0103, struct.pack("<h", 8))                       # SETMAPMODE MM_ANISOTROPIC
    rec(0x020B, struct.pack("<hh", 0, 0))                   # SETWINDOWORG y, x
    rec(0x020C, struct.pack("<hh", d.height, d.width))      # SETWINDOWEXT y, x
    rec(0x0102, struct.pack("<h", 1))                       # SETBKMODE TRANSPARENT
    rec(0x012E, struct.pack("<H", 0))                       # SETTEXTALIGN TA_TOP|TA_LEFT
    n = 0
    for p in pens:
        rec(0x02FA, struct.pack("<HhhI", 0, 1, 0, Drawing.colorref(p)))  # CREATEPENINDIRECT
        index[("pen", p)] = n; n += 1
    for b in brushes:
        if b is None:
            rec(0x02FC, struct.pack("<HIH", 1, 0, 0))        # BS_NULL
        else:
            rec(0x02FC, struct.pack("<HIH", 0, Drawing.colorref(b), 0))
        index[("brush", b)] = n; n += 1
    for size, bold in fonts:
        face = b"Arial".ljust(32, b"\0")
        rec(0x02FB, struct.pack("<hhhhhBBBBBBBB", -size, 0, 0, 0, 700 if bold else 400,
                                0, 0, 0, 0, 0, 0, 0, 0) + face)   # CREATEFONTINDIRECT
        index[("font", size, bold)] = n; n += 1
    select = lambda key: rec(0x012D, struct.pack("<H", index[key]))
    for op in d.ops:
        kind = op[0]
        if kind == "rect":
            _, x, y, w, h, pen, fill = op
            select(("pen", pen)); select(("brush", fill))
            rec(0x041B, struct.pack("<hhhh", y + h, x + w, y, x))   # RECTANGLE b, r, t, l
        elif kind == "line":
            _, x1, y1, x2, y2, pen = op
            select(("pen", pen))
            rec(0x0214, struct.pack("<hh", y1, x1))                 # MOVETO
            rec(0x0213, struct.pack("<hh", y2, x2))                 # LINETO
        elif kind == "poly":
            _, pts, pen = op
            select(("pen", pen)); select(("brush", pen))
            rec(0x0324, struct.pack("<h", len(pts)) + b"".join(struct.pack("<hh", x, y) for x, y in pts))
        elif kind == "text":
            _, x, y, s, size, bold, color = op
            select(("font", size, bold))
            rec(0x0209, struct.pack("<I", Drawing.colorref(color)))  # SETTEXTCOLOR
            raw = s.encode("cp1252")
            padded = raw + (b"\0" if len(raw) % 2 else b"")
            rec(0x0521, struct.pack("<h", len(raw)) + padded + struct.pack("<hh", y, x))  # TEXTOUT
    rec(0x0000, b"")                                                 # EOF
    body = b"".join(recs)
    max_record = max(len(r) // 2 for r in recs)
    header = struct.pack("<HHHIHIH", 1, 9, 0x0300, (18 + len(body)) // 2, n, max_record, 0)
    words = struct.unpack("<10H", struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, d.width, d.height, 96, 0))
    checksum = 0
    for w in words:
        checksum ^= w
    placeable = struct.pack("<IHhhhhHIH", 0x9AC6CDD7, 0, 0, 0, d.width, d.height, 96, 0, checksum)
    return placeable + header + body


# ---------------------------------------------------------------- EMF

def emf(d: Drawing) -> bytes:
    pens, brushes, fonts = d.objects()
    index = {}
    recs = []

    def rec(kind, payload):
        assert len(payload) % 4 == 0
        recs.append(struct.pack("<II", kind, 8 + len(payload)) + payload)

    rec(17, struct.pack("<I", 1))                  # SETMAPMODE MM_TEXT
    rec(18, struct.pack("<I", 1))                  # SETBKMODE TRANSPARENT
    rec(22, struct.pack("<I", 0))                  # SETTEXTALIGN TA_TOP|TA_LEFT
    n = 1                                          # handle 0 is the metafile itself
    for p in pens:
        rec(38, struct.pack("<IIiiI", n, 0, 1, 0, Drawing.colorref(p)))      # CREATEPEN
        index[("pen", p)] = n; n += 1
    for b in brushes:
        style, color = (1, 0) if b is None else (0, Drawing.colorref(b))
        rec(39, struct.pack("<IIII", n, style, color, 0))                    # CREATEBRUSHINDIRECT
        index[("brush", b)] = n; n += 1
    for size, bold in fonts:
        face = "Arial".encode("utf-16-le").ljust(64, b"\0")
        logfont = struct.pack("<iiiiiBBBBBBBB", -size, 0, 0, 0, 700 if bold else 400,
                              0, 0, 0, 0, 0, 0, 0, 0) + face
        rec(82, struct.pack("<I", n) + logfont)                              # EXTCREATEFONTINDIRECTW
        index[("font", size, bold)] = n; n += 1
    select = lambda key: rec(37, struct.pack("<I", index[key]))
    for op in d.ops:
        kind = op[0]
        if kind == "rect":
            _, x, y, w, h, pen, fill = op
            select(("pen", pen)); select(("brush", fill))
            rec(43, struct.pack("<iiii", x, y, x + w, y + h))                # RECTANGLE
        elif kind == "line":
            _, x1, y1, x2, y2, pen = op
            select(("pen", pen))
            rec(27, struct.pack("<ii", x1, y1))                              # MOVETOEX
            rec(54, struct.pack("<ii", x2, y2))                              # LINETO
        elif kind == "poly":
            _, pts, pen = op
            select(("pen", pen)); select(("brush", pen))
            xs, ys = [p[0] for p in pts], [p[1] for p in pts]
            payload = struct.pack("<iiiiI", min(xs), min(ys), max(xs), max(ys), len(pts))
            payload += b"".join(struct.pack("<hh", x, y) for x, y in pts)
            rec(86, payload)                                                 # POLYGON16
        elif kind == "text":
            _, x, y, s, size, bold, color = op
            select(("font", size, bold))
            rec(24, struct.pack("<I", Drawing.colorref(color)))              # SETTEXTCOLOR
            chars = s.encode("utf-16-le")
            chars += b"\0" * (-len(chars) % 4)
            advance = round(size * (0.62 if bold else 0.56))
            width = advance * len(s)
            off_string = 76
            off_dx = off_string + len(chars)
            payload = struct.pack("<iiii", x, y, x + width, y + size)        # bounds
            payload += struct.pack("<Iff", 1, 0.0, 0.0)                      # GM_COMPATIBLE, scales
            payload += struct.pack("<iiIIIiiiiI", x, y, len(s), off_string, 0,
                                   0, 0, -1, -1, off_dx)                     # EMRTEXT, no clip rect
            payload += chars + struct.pack("<%dI" % len(s), *([advance] * len(s)))
            rec(84, payload)                                                 # EXTTEXTOUTW
    rec(14, struct.pack("<III", 0, 16, 20))                                  # EOF
    body = b"".join(recs)
    mm = lambda px: round(px * 2540 / 96)                                    # pixels to 0.01 mm
    header_size = 108
    total = header_size + len(body)
    header = struct.pack("<II", 1, header_size)
    header += struct.pack("<iiii", 0, 0, d.width - 1, d.height - 1)          # bounds, device units
    header += struct.pack("<iiii", 0, 0, mm(d.width), mm(d.height))         # frame, 0.01 mm
    header += struct.pack("<IIIIHHIII", 0x464D4520, 0x10000, total, len(recs) + 1, n,
                          0, 0, 0, 0)                                        # no description, no palette
    header += struct.pack("<iiii", 1024, 768, 271, 203)                      # reference device: 96 dpi
    header += struct.pack("<III", 0, 0, 0)                                   # no pixel format, no OpenGL
    header += struct.pack("<ii", 270933, 203200)                             # device size in micrometres
    assert len(header) == header_size
    return header + body
