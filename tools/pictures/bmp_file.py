"""Writes uncompressed Windows bitmap files ("BM" file header, 40-byte BITMAPINFOHEADER), field by field."""
import struct


def row_bytes(width, bit_count):
    return (width * bit_count + 31) // 32 * 4


def pack_row(indices, bit_count):
    """Packs colour indices (1, 4 or 8 bits each, leftmost pixel in the high bits) and pads to 4 bytes."""
    out = bytearray()
    per_byte = 8 // bit_count
    for start in range(0, len(indices), per_byte):
        value = 0
        for i, index in enumerate(indices[start:start + per_byte]):
            value |= index << (8 - bit_count * (i + 1))
        out.append(value)
    out.extend(b"\0" * (row_bytes(len(indices), bit_count) - len(out)))
    return bytes(out)


def bitmap_file(rows, colours, bit_count):
    """rows: top row first, each a list of colour indices; colours: (r, g, b) tuples."""
    height, width = len(rows), len(rows[0])
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in colours)
    bits = b"".join(pack_row(row, bit_count) for row in reversed(rows))  # bottom-up
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, 0, len(bits), 0, 0, len(colours), 0)
    offset = 14 + len(info) + len(table)
    header = b"BM" + struct.pack("<IHHI", offset + len(bits), 0, 0, offset)
    return header + info + table + bits
