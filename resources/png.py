"""Writes an RGBA image as a PNG file with the standard library alone."""
import struct
import zlib


def _chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def write_png(path, width, height, pixels):
    """pixels are rows of (red, green, blue, alpha) tuples, each channel 0..255."""
    raw = b"".join(b"\0" + bytes(channel for pixel in row for channel in pixel) for row in pixels)
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(_chunk(b"IHDR", header) + _chunk(b"IDAT", zlib.compress(raw, 9)))
        out.write(_chunk(b"IEND", b""))
