#!/usr/bin/env python3
"""Cuts the seed corpora from the demo log and the program's own files.

  fuzz/make-seeds.py <demo.tfl> <VESK.ERR>

log/       the header record followed by runs of consecutive records, so that
           every record kind of the demo log starts some seed (small files)
pictures/  the demo's embedded picture payloads behind their selector byte
tables/    the error table and settings images behind their selector byte
"""
import hashlib
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
MAX_SEED = 4096


def records(data):
    """(opcode, bytes of the whole record with its attached block)."""
    pos = 4 + struct.unpack_from('<H', data, 2)[0]
    while pos + 4 <= len(data):
        op, length = struct.unpack_from('<HH', data, pos)
        end = pos + 4 + length
        if op == 26:
            end += 4 + struct.unpack_from('<H', data, end + 2)[0]
        elif op in (103, 206):
            end += 6 + struct.unpack_from('<i', data, end + 2)[0]
        block = data[pos + 4 + length + 6:end] if op in (103, 206) else b''
        yield op, data[pos:end], block
        pos = end


def save(folder, content):
    name = hashlib.sha1(content).hexdigest()[:16]
    path = os.path.join(HERE, 'corpus', folder, name)
    with open(path, 'wb') as f:
        f.write(content)


def write_dictionary(header, recs):
    """tfl.dict: every record frame (opcode and length words) the demo log
    uses, the header frame and the picture signatures."""
    frames = sorted({rec[:4] for _, rec, _ in recs} | {header[:4]})
    lines = ['# Record frames of compiled logs: word opcode, word payload length.']
    for frame in frames:
        op, length = struct.unpack('<HH', frame)
        text = ''.join('\\x%02x' % b for b in frame)
        lines.append('frame_%d_%d="%s"' % (op, length, text))
    lines += ['# Attached blocks: tag word and a long count.',
              'block_tag="\\x00\\x00"',
              '# Picture signatures: bitmap file, placeable and plain metafile.',
              'bitmap="BM"', 'placeable="\\xd7\\xcd\\xc6\\x9a"',
              'metafile="\\x01\\x00\\x09\\x00\\x00\\x03"',
              'wmf_eof="\\x03\\x00\\x00\\x00\\x00\\x00"',
              'jpg=".jpg"', 'bmp=".bmp"']
    with open(os.path.join(HERE, 'tfl.dict'), 'w') as f:
        f.write('\n'.join(lines) + '\n')


def main():
    demo = open(sys.argv[1], 'rb').read()
    header = demo[:4 + struct.unpack_from('<H', demo, 2)[0]]
    recs = list(records(demo))
    write_dictionary(header, recs)
    seen = set()
    for i, (op, _, block) in enumerate(recs):
        if op in (103, 206) and len(block) <= 64 * 1024:
            kind = 0 if op == 206 else (2 if block[:2] == b'BM' else 1)
            if (op, kind) not in seen:
                save('pictures', bytes([kind]) + block)
        if op in seen:
            continue
        seen.add(op)
        body = b''
        for _, rec, _ in recs[i:]:
            if body and len(header) + len(body) + len(rec) > MAX_SEED:
                break
            body += rec
        if len(header) + len(body) <= 64 * 1024:
            save('log', header + body)
    save('log', header)

    save('tables', b'\x00' + open(sys.argv[2], 'rb').read())
    system = bytearray(3488)
    for offset, text in ((1566, b'Zelmorth.Pat'), (1827, b'Zelmorth.Sym'), (2088, b'Arial')):
        system[offset:offset + len(text)] = text
    struct.pack_into('<dd', system, 2160, 10.5, 8.0)
    struct.pack_into('<f', system, 3316, 50.0)
    struct.pack_into('<f', system, 3328, 0.25)
    save('tables', b'\x01' + bytes(system))
    general = bytearray(10104)
    struct.pack_into('<ii', general, 184, 500, 0xE1FFFF)
    save('tables', b'\x02' + bytes(general))


main()
