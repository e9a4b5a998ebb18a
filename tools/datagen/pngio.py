"""PNG, JPEG and Ogg files read and written with the standard library only.

The lint and the shape check run where no generator package is installed, so
nothing here imports numpy or cairo.
"""
import struct
import zlib

PNG_MAGIC = b"\x89PNG\r\n\x1a\n"


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def write_png(path, width, height, rgba):
    """Writes 8-bit RGBA rows (bytes, width * 4 per row, top row first)."""
    stride = width * 4
    if len(rgba) != stride * height:
        raise ValueError("%s: %d bytes for %dx%d" % (path, len(rgba), width, height))
    raw = bytearray()
    for y in range(height):
        raw.append(0)
        raw += rgba[y * stride:(y + 1) * stride]
    data = (PNG_MAGIC + _chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            _chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + _chunk(b"IEND", b""))
    with open(path, "wb") as out:
        out.write(data)


def png_size(path):
    with open(path, "rb") as f:
        head = f.read(33)
    if head[:8] != PNG_MAGIC or head[12:16] != b"IHDR":
        raise ValueError("%s: not a PNG file" % path)
    return struct.unpack(">II", head[16:24])


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def read_png(path):
    """Returns (width, height, rgba bytes) for 8-bit RGBA or RGB files without interlace."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != PNG_MAGIC:
        raise ValueError("%s: not a PNG file" % path)
    pos = 8
    idat = bytearray()
    width = height = depth = colour = interlace = None
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    if depth != 8 or colour not in (2, 6) or interlace != 0:
        raise ValueError("%s: only 8-bit RGB or RGBA without interlace is read here" % path)
    bpp = 4 if colour == 6 else 3
    raw = zlib.decompress(bytes(idat))
    stride = width * bpp
    out = bytearray(stride * height)
    prev = bytearray(stride)
    pos = 0
    for y in range(height):
        kind = raw[pos]
        row = bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        if kind == 1:
            for i in range(bpp, stride):
                row[i] = (row[i] + row[i - bpp]) & 255
        elif kind == 2:
            for i in range(stride):
                row[i] = (row[i] + prev[i]) & 255
        elif kind == 3:
            for i in range(stride):
                left = row[i - bpp] if i >= bpp else 0
                row[i] = (row[i] + ((left + prev[i]) >> 1)) & 255
        elif kind == 4:
            for i in range(stride):
                left = row[i - bpp] if i >= bpp else 0
                upleft = prev[i - bpp] if i >= bpp else 0
                row[i] = (row[i] + _paeth(left, prev[i], upleft)) & 255
        out[y * stride:(y + 1) * stride] = row
        prev = row
    if bpp == 3:
        rgba = bytearray(width * height * 4)
        rgba[0::4], rgba[1::4], rgba[2::4] = out[0::3], out[1::3], out[2::3]
        rgba[3::4] = b"\xff" * (width * height)
        out = rgba
    return width, height, bytes(out)


def jpeg_size(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"\xff\xd8":
        raise ValueError("%s: not a JPEG file" % path)
    pos = 2
    while pos + 4 <= len(data):
        if data[pos] != 0xFF:
            raise ValueError("%s: broken JPEG marker" % path)
        marker = data[pos + 1]
        length = struct.unpack(">H", data[pos + 2:pos + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            height, width = struct.unpack(">HH", data[pos + 5:pos + 9])
            return width, height
        pos += 2 + length
    raise ValueError("%s: no frame header" % path)


def ogg_info(path):
    """Returns (sample rate, channels, length in samples) of an Ogg Vorbis file."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"OggS":
        raise ValueError("%s: not an Ogg file" % path)
    header = data[27 + data[26]:]
    if header[:7] != b"\x01vorbis":
        raise ValueError("%s: not Vorbis" % path)
    channels = header[11]
    rate = struct.unpack("<I", header[12:16])[0]
    last = data.rfind(b"OggS")
    granule = struct.unpack("<q", data[last + 6:last + 14])[0]
    return rate, channels, granule
