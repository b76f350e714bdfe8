#!/usr/bin/env python3
"""Writes the hand-made .zs documents that DocumentTest reads and compares against.

The byte rules, written out here on their own so that the files do not come from the code
they test: int32 little-endian; a string is its byte count followed by one int32 per byte,
the negation of the byte read as a signed 8-bit number. Text is code page 936.
Run from this folder: python3 make_documents.py
"""
import struct

WIDTHS = [50 + 3 * c for c in range(1, 27)]


def i32(n):
    return struct.pack('<i', n)


def text(s):
    return s.encode('cp936') if isinstance(s, str) else s


def string(s, length=None):
    b = text(s)
    out = i32(len(b) if length is None else length)
    for byte in b:
        signed = byte - 256 if byte >= 128 else byte
        out += i32(-signed)
    return out


def document(cells, rows=301, items=(), paper=(2450, 1760), version=2, widths=WIDTHS,
             magic='zs2020', item_count=None):
    """cells: {(row, col): text} for rows 1..rows-1 and cols 1..26."""
    out = string(magic) + i32(version)
    out += b''.join(i32(w) for w in widths)
    out += i32(rows)
    for r in range(1, rows):
        for c in range(1, 27):
            out += string(cells.get((r, c), ''))
    out += i32(paper[0]) + i32(paper[1])
    out += i32(len(items) if item_count is None else item_count)
    for (l, t, r, b), txt, font in items:
        out += i32(l) + i32(t) + i32(r) + i32(b) + string(txt) + string(font)
    return out


RECORD_CELLS = {(1, 1): '张三', (1, 2): '一等奖', (2, 1): '李四', (2, 3): '高中 书法',
                (300, 26): '末'}
RECORD_ITEMS = [((490, 352, 1960, 440), '{A}同学:\r\n  荣获{B}', '楷体_GB2312'),
                ((1500, 1500, 2200, 1580), '2024年', '宋体')]
SMALL_CELLS = {(1, 1): '张三', (1, 2): '一等奖', (2, 1): '李四'}
SMALL_ITEMS = [((100, 200, 900, 260), '{A}', '宋体')]

LONG_CELL = '长' * 150                        # 300 bytes
CELL_249 = 'a' * 249
CELL_250 = 'b' * 250
LONG_TEXT = ('第{A}名 winner ' * 80).encode('cp936')[:700]   # 700 bytes
LONG_FONT = 'F' * 260

FILES = {
    # What the program must write, byte for byte.
    'save-empty.zs': document({}),
    'save-encoding.zs': document({(1, 1): '新'}),
    'save-records.zs': document(RECORD_CELLS, items=RECORD_ITEMS, paper=(2100, 2970)),
    # What the program must read.
    'load-version3.zs': document(RECORD_CELLS, items=RECORD_ITEMS, paper=(2100, 2970), version=3),
    'load-rows401.zs': document({(1, 1): '一', (350, 2): '中间', (400, 26): '末'}, rows=401),
    'load-rows101.zs': document({(1, 1): '一', (100, 1): '百'}, rows=101),
    'load-paper50.zs': document(SMALL_CELLS, rows=3, items=SMALL_ITEMS, paper=(50, 50)),
    'load-long.zs': document({(1, 1): LONG_CELL, (1, 2): CELL_249, (1, 3): CELL_250}, rows=3,
                             items=[((0, 0, 10, 10), LONG_TEXT, LONG_FONT)]),
    'load-small.zs': document(SMALL_CELLS, rows=3, items=SMALL_ITEMS),
    # Damaged documents: each must be refused whole.
    'damaged-first-negative.zs': string('zs2020', length=-1) + b'\0' * 40,
    'damaged-cell-negative.zs': document(SMALL_CELLS, rows=3, items=SMALL_ITEMS).replace(
        string('一等奖'), i32(-1) + b'\0' * 20, 1),
    'damaged-rows-beyond.zs': document(SMALL_CELLS, rows=3, items=SMALL_ITEMS).replace(
        i32(3), i32(5000), 1),
    'damaged-rows-negative.zs': document({}, rows=1).replace(i32(1), i32(-3), 1),
    'damaged-items-beyond.zs': document(SMALL_CELLS, rows=3, items=SMALL_ITEMS, item_count=1000),
    'damaged-items-negative.zs': document(SMALL_CELLS, rows=3, items=SMALL_ITEMS, item_count=-1),
    'damaged-string-beyond.zs': document(SMALL_CELLS, rows=3, items=[
        ((100, 200, 900, 260), '{A}', 'x')]).rsplit(string('x'), 1)[0] + i32(100) + i32(-120) * 2,
    'damaged-paper-width0.zs': document(SMALL_CELLS, rows=3, items=SMALL_ITEMS, paper=(0, 1760)),
    'damaged-paper-height-negative.zs': document(SMALL_CELLS, rows=3, items=SMALL_ITEMS,
                                                 paper=(2450, -1760)),
    'damaged-column-width-negative.zs': document(SMALL_CELLS, rows=3, items=SMALL_ITEMS,
                                                 widths=[-5] + WIDTHS[1:]),
    # Not documents at all.
    'foreign-magic.zs': document(SMALL_CELLS, rows=3, magic='zs2019'),
    'foreign-text.zs': 'not a document\r\n这不是文档\r\n'.encode('cp936'),
}

if __name__ == '__main__':
    for name, data in FILES.items():
        with open(name, 'wb') as f:
            f.write(data)
