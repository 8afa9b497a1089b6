#!/usr/bin/env python3
"""Writes a shapefile seed for fuzz_shapefile: .shp, .shx and .dbf of a set
joined by the target's separators. Shapes are lists of (x, y) in the import's
units (hundred-thousandths of a degree).

    make_shapefile_seed.py OUT TYPE [--no-dbf] [--no-shx]
TYPE: polygon (three shapes, the second a closed ring), arc or point."""
import struct
import sys

SHX_SEPARATOR = b"\n--shx--\n"
DBF_SEPARATOR = b"\n--dbf--\n"


def header(shape_type, length_bytes, box):
    h = struct.pack(">7i", 9994, 0, 0, 0, 0, 0, length_bytes // 2)
    h += struct.pack("<2i", 1000, shape_type)
    h += struct.pack("<8d", box[0], box[1], box[2], box[3], 0, 0, 0, 0)
    return h


def content(shape_type, points):
    if shape_type == 1:
        return struct.pack("<i2d", 1, *points[0])
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    c = struct.pack("<i4d2i", shape_type, min(xs), min(ys), max(xs), max(ys), 1, len(points))
    c += struct.pack("<i", 0)
    for p in points:
        c += struct.pack("<2d", *p)
    return c


def shapefile(shape_type, shapes):
    records = b""
    index = b""
    offset = 100
    for n, points in enumerate(shapes, 1):
        c = content(shape_type, points)
        index += struct.pack(">2i", offset // 2, len(c) // 2)
        records += struct.pack(">2i", n, len(c) // 2) + c
        offset += 8 + len(c)
    allx = [p[0] for s in shapes for p in s]
    ally = [p[1] for s in shapes for p in s]
    box = (min(allx), min(ally), max(allx), max(ally))
    shp = header(shape_type, 100 + len(records), box) + records
    shx = header(shape_type, 100 + len(index), box) + index
    return shp, shx


def dbf(count):
    fields = struct.pack("<11sc4xBB14x", b"ID", b"N", 5, 0)
    head = struct.pack("<B3BIHH20x", 3, 126, 12, 8, count, 32 + len(fields) + 1, 1 + 5)
    body = b"".join(b" " + ("%5d" % i).encode() for i in range(count))
    return head + fields + b"\r" + body + b"\x1a"


def main():
    out, kind = sys.argv[1], sys.argv[2]
    if kind == "polygon":
        shapes = [
            [(0, 0), (900000, 0), (900000, 900000), (0, 0)],
            [(100000, 1000000), (200000, 1100000), (300000, 1200000), (400000, 1300000),
             (500000, 1400000), (600000, 1500000), (100000, 1000000)],
            [(-1234567, 2345678), (-1234000, 2345000), (-1234567, 2345678)],
        ]
        shape_type = 5
    elif kind == "arc":
        shapes = [[(1.5, 2.5), (3.5, 4.5)], [(-1, -2), (-3, -4), (-5, -6)]]
        shape_type = 3
    else:
        shapes = [[(10, 20)], [(30, 40)]]
        shape_type = 1
    shp, shx = shapefile(shape_type, shapes)
    data = shp
    if "--no-shx" not in sys.argv:
        data += SHX_SEPARATOR + shx
        if "--no-dbf" not in sys.argv:
            data += DBF_SEPARATOR + dbf(len(shapes))
    with open(out, "wb") as f:
        f.write(data)


main()
