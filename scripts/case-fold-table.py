#!/usr/bin/env python3
"""Prints the rows of platform/internal/CaseFold.cpp's upper-case table.

Windows compares names by upper-casing each UTF-16 unit (simple mapping, one
unit to one unit). The mapping is the C library's for C.UTF-8; every code
point of the Basic Multilingual Plane above ASCII that it changes is covered
by a row {first, last, step, offset}: first, first + step, ... up to last
map to themselves plus offset.
"""
import ctypes
import ctypes.util

libc = ctypes.CDLL(ctypes.util.find_library("c"))
libc.newlocale.restype = ctypes.c_void_p
libc.newlocale.argtypes = [ctypes.c_int, ctypes.c_char_p, ctypes.c_void_p]
libc.towupper_l.restype = ctypes.c_uint
libc.towupper_l.argtypes = [ctypes.c_uint, ctypes.c_void_p]
locale = libc.newlocale(1 << 0, b"C.UTF-8", None)  # LC_CTYPE_MASK
if not locale:
    raise SystemExit("the C.UTF-8 locale is missing")

rows = []  # [first, last, step, offset]
for c in range(0x80, 0x10000):
    if 0xD800 <= c <= 0xDFFF:
        continue
    offset = libc.towupper_l(c, locale) - c
    if offset == 0:
        continue
    if rows and rows[-1][3] == offset:
        row = rows[-1]
        if row[0] == row[1] and c - row[1] in (1, 2):
            row[1], row[2] = c, c - row[1]
            continue
        if row[0] != row[1] and c == row[1] + row[2]:
            row[1] = c
            continue
    rows.append([c, c, 1, offset])

for first, last, step, offset in rows:
    print(f"    {{0x{first:04X}, 0x{last:04X}, {step}, {offset}}},")
