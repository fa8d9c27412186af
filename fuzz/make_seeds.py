#!/usr/bin/env python3
"""Writes the small seed corpora of the fuzz targets into fuzz/corpus/.

Each seed is a valid input of its reader, so fuzzing starts from inputs that
reach deep into it. Run it again after a format changes; the output is the
same bytes every time.
"""
import hashlib
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
SEP = b"|~|"



def str_crc(text: bytes) -> int:
    reg = 0
    for b in text:
        reg ^= b
        for _ in range(8):
            reg = (reg >> 1) ^ 0xEDB88320 if reg & 1 else reg >> 1
    return (~reg) & 0xFFFFFFFF


def member_id(name: str, seed: int = 0) -> int:
    lowered = name.encode("gbk").lower()
    return str_crc(b"%08X%02X" % (str_crc(lowered), seed))


def record(name: str, data: bytes, code_type: int = 0, seed: int = 0) -> bytes:
    return struct.pack("<IIBBH", member_id(name, seed), len(data), seed, code_type, 0) + data


def zipped(plain: bytes) -> bytes:
    return struct.pack("<I", len(plain)) + zlib.compress(plain, 1)


def number(n: int) -> str:
    return "%08X" % n


def gbk(text: str) -> bytes:
    return text.encode("gbk")


def tag(value: bytes, name: str) -> bytes:
    return b"<%s>" % name.encode() + value + b"</%s>" % name.encode()


APPLE_RECORD = (
    tag(tag(b"apple", "Name") + tag(b"5Ap@l", "YB") + tag(b"1", "MP3")
        + tag(gbk("n. 苹果<0D0A>苹果树"), "CN") + tag(gbk("复数: apples"), "CXBH"), "Voc")
    + tag(tag(b"1", "XH") + tag(gbk("He ate an 『apple』."), "En") + tag(b"2", "MP3")
          + tag(gbk("他吃了一个苹果。"), "Cn") + b"\r\n", "Example")
    + tag(tag(b"n.", "CX") + tag(b"", "En") + b"\r\n" + tag(b"n.", "CX")
          + tag(b"fruit with red or green skin", "En") + tag(b"[1=pome][2=fruit]", "TYC")
          + b"\r\n", "YWJS"))


def param_block(operation: int, *fields: bytes) -> bytes:
    """A parameter block: the operation, product 102, software 102001, client
    0x00ABCDEF, the given fields, then MD5 of all that and a blank."""
    body = b"00" + number(operation).encode() + b"0200000066" + b"0300018E71" + b"0800ABCDEF" + b"".join(fields)
    return body + hashlib.md5(body + b" ").hexdigest().upper().encode()


def package(entry: bytes) -> bytes:
    return record(number(0), entry) + record(number(1), b"ID3" + b"\0" * 40)


def write(target: str, name: str, data: bytes) -> None:
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as out:
        out.write(data)


def word_index() -> bytes:
    words = [("apple", "苹果"), ("apple pie", "苹果派"), ("apply", "应用<0D0A>申请"), ("banana", "香蕉")]
    headwords = b"\r\n".join(gbk(w) for w, _ in words)
    glosses = b"\r\n".join(gbk(g) for _, g in words)
    letters = tag(b"0", "Index0") + tag(b"3", "Count0") + tag(b"3", "Index1") + tag(b"1", "Count1")
    pairs = b"\r\n".join([b"<EN>AP</EN><Index>0</Index><Count>3</Count>",
                          b"<EN>BA</EN><Index>3</Index><Count>1</Count>"])
    postings = b""
    table = b""  # the harness spreads (code, offset, count) entries over the table
    characters = {}
    for line, (_, gloss) in enumerate(words):
        data = gbk(gloss)
        i = 0
        while i + 1 < len(data):
            if data[i] >= 0x81:
                code = data[i] << 8 | data[i + 1]
                characters.setdefault(code, [])
                if line not in characters[code]:
                    characters[code].append(line)
                i += 2
            else:
                i += 1
    for code in sorted(characters):
        table += struct.pack("<III", code, len(postings), len(characters[code]))
        postings += b"".join(struct.pack("<I", line) for line in characters[code])
    return SEP.join([headwords, glosses, letters, pairs, bytes(table), postings])


def main() -> None:
    write("fuzz_container", "members", record("Alpha", b"plain text") + record(number(1), zipped(b"line one\r\nline two\r\n"), 2)
          + record("owned", bytes(b ^ 0x5A for b in b"keyed"), 128, 9) + record("empty", b""))
    write("fuzz_container", "package", package(APPLE_RECORD))
    write("fuzz_word_index", "index", word_index())
    write("fuzz_word_index", "chinese", word_index() + gbk("苹果"))
    apple_hash = str_crc(b"apple")
    pkg = package(APPLE_RECORD)
    write("fuzz_location_records", "installed",
          SEP + struct.pack("<III", apple_hash ^ 1, 0, 4) + struct.pack("<III", apple_hash, 4, len(pkg))
          + SEP + b"xxxx" + pkg)
    write("fuzz_location_records", "cached", pkg + SEP + SEP)
    write("fuzz_entry_render", "apple", APPLE_RECORD)
    write("fuzz_document_markup", "help", gbk(
        "【Add=AddCenterLine】【TXT=软件帮助】【Style=1】\r\n// comment\r\n【Add=AddBreak】\r\n"
        "【Add=AddFromNewLine】【TXT=查询单词】\r\n【Add=Add】【TXT= more】【Style=4】\r\n"))
    write("fuzz_base_info", "apple", tag(b"apple", "Name") + tag(b"'&#230;p&#601;l", "YB") + tag(b"1", "MP3")
          + tag(gbk("n. 苹果\r\n苹果树"), "CN") + tag(gbk("复数: apples"), "CXBH")
          + SEP + b"ID3" + b"\0" * 1100 + SEP + b"two apples")
    write("fuzz_registry", "values", b"QUENDIC-REGISTRY 1\nK\tHKCU\tEmpty\\\\Key\n"
          b"V\tHKCU\tSoftWare\\\\Marvane\\\\Param\tA\t1\ttext\\tx\n"
          b"V\tHKCR\tSoftware\\\\Marvane\\\\102\t\t3\t4294967295\nV\tHKCU\tK\tV\t4\t00FF10\n")
    lines = tag(b"Top", "Name") + tag(b"1<0D0A>2", "Value") + b"\r\n" + tag(b"Left", "Name") + tag(b"20", "Value") + b"\r\n"
    write("fuzz_name_value", "settings", zipped(lines))
    write("fuzz_param_block", "install", param_block(1, b"1400000007", b"1500000000", b"0412345678"))
    write("fuzz_param_block", "chat", param_block(3, b"0400000000", b"89" + b"%02X" % (2 * len(gbk("你好"))) + gbk("你好").hex().upper().encode(),
                                                  b"800241"))
    write("fuzz_param_block", "locate", param_block(23, b"1F0000000B", b"2000000090", b"2200000008", b"2300000010"))
    write("fuzz_param_block", "other", param_block(99, b"0400000000"))
    write("fuzz_tagged_text", "record", tag(gbk("苹果"), "Cn") + tag(b"x", "En") + SEP + b"cn" + SEP + b"<En>")


if __name__ == "__main__":
    main()
