#!/usr/bin/env python3
"""Converts a 24-bit BMP file into a PNG file, with nothing but the standard library."""
import struct
import sys
import zlib


def convert(source, target):
    data = open(source, 'rb').read()
    offset, = struct.unpack_from('<I', data, 10)
    width, height = struct.unpack_from('<ii', data, 18)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        line = y if height < 0 else abs(height) - 1 - y  # bottom-up unless the height is negative
        start = offset + line * stride
        bgr = data[start:start + width * 3]
        rgb = bytearray(len(bgr))
        rgb[0::3], rgb[1::3], rgb[2::3] = bgr[2::3], bgr[1::3], bgr[0::3]
        rows.append(b'\0' + bytes(rgb))

    def chunk(kind, body):
        return (struct.pack('>I', len(body)) + kind + body +
                struct.pack('>I', zlib.crc32(kind + body) & 0xffffffff))

    header = struct.pack('>IIBBBBB', width, abs(height), 8, 2, 0, 0, 0)
    with open(target, 'wb') as out:
        out.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
                  chunk(b'IDAT', zlib.compress(b''.join(rows), 9)) + chunk(b'IEND', b''))


if __name__ == '__main__':
    convert(sys.argv[1], sys.argv[2])
