#!/usr/bin/env python3
# Writes the seeds of the layout fuzz target into layout/: small documents (a few records)
# whose layouts reach the corners: ordinary certificates, extreme papers and rectangles,
# tall line heights, long texts.
import os
import struct

INT_MAX, INT_MIN = 2**31 - 1, -2**31


def i32(n):
    return struct.pack('<i', n)


def string(text):
    data = text.encode('gbk') if isinstance(text, str) else text
    return i32(len(data)) + b''.join(i32(-((b ^ 0x80) - 0x80)) for b in data)


def document(records, paper, items):
    out = string('zs2020') + i32(2) + b''.join(i32(80) for _ in range(26))
    out += i32(len(records) + 1)
    for record in records:
        fields = list(record) + [''] * (26 - len(record))
        out += b''.join(string(f) for f in fields)
    out += i32(paper[0]) + i32(paper[1]) + i32(len(items))
    for rect, text, font in items:
        out += b''.join(i32(n) for n in rect) + string(text) + string(font)
    return out


KAI = '楷体_GB2312'
ITEM2 = '　　你制作的作品《{D}》获{A}组{B}类{E}等奖。\r\n　　特发此证'
RECORDS = [['一年级', '科技', '张三', '机器人', '一'], ['二年级', '美术', '欧阳小明', '山水，画', '二'],
           ['', '', '无名']]
SEEDS = {
    'certificate': document(RECORDS, (2450, 1760), [
        ((472, 728, 906, 801), '{C}同学:', KAI), ((470, 842, 1955, 914), ITEM2, KAI),
        ((1231, 1234, 1800, 1306), '二０二０年十二月', '宋体')]),
    'no-items': document(RECORDS, (2450, 1760), []),
    'self-reference': document([['{A}{A}{B}', '{A}\r\n{B}', '{Z']], (2450, 1760), [
        ((100, 100, 900, 160), '{A}{B}{C}', KAI)]),
    'paper-widest': document(RECORDS, (INT_MAX, 1), [
        ((0, 0, INT_MAX, 1), '{C}', KAI), ((INT_MAX - 5, 0, INT_MAX, 1), '。，》', KAI)]),
    'paper-tallest': document(RECORDS, (1, INT_MAX), [((0, INT_MAX - 100, 1, INT_MAX), '{A}\r\n{B}', KAI)]),
    'paper-largest': document(RECORDS, (INT_MAX, INT_MAX), [
        ((INT_MAX // 2, INT_MAX // 2, INT_MAX, INT_MAX), '{C}同学', KAI)]),
    'rect-extremes': document(RECORDS, (100, 100), [
        ((INT_MIN, INT_MIN, INT_MAX, INT_MAX), '{C}', KAI), ((INT_MAX, INT_MAX, INT_MIN, INT_MIN), 'x', ''),
        ((0, INT_MIN, 10, INT_MAX), 'A\r\nB', KAI), ((50, 50, 50, 50), '', KAI)]),
    'line-height-huge': document(RECORDS, (20000, 20000), [
        ((10, 0, 19000, INT_MAX // 2), '甲\r\n乙\r\n丙', KAI), ((10, 10, 20, 11), '丁' * 40, KAI)]),
    'long-text': document(RECORDS, (2450, 1760), [
        ((100, 100, 400, 130), ('第{A}行，' * 40 + '\r\n') * 2, KAI)]),
    'paper-smallest': document(RECORDS, (1, 1), [((0, 0, 1, 1), '{C}', KAI), ((-1, -1, 2, 2), '{A}', '黑体')]),
}

folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'layout')
os.makedirs(folder, exist_ok=True)
for name, data in SEEDS.items():
    with open(os.path.join(folder, name + '.zs'), 'wb') as f:
        f.write(data)
