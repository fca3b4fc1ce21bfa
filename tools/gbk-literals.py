#!/usr/bin/env python3
"""Copies the source tree for a compiler without -fexec-charset=GBK (clang).

Every non-ASCII character inside an ordinary narrow string or character literal is written as the octal
escapes of its GBK bytes ("延迟" -> "\\321\\323\\263\\331"), so the program's literals hold the same bytes
as under GCC. Octal escapes take at most three digits, so a digit after one is never swallowed, and a
GBK trail byte that happens to be a backslash (0x5C) is escaped like any other byte instead of starting
an escape of its own. Comments, u8/u/U/L literals and everything outside literals are copied as they are.
Each converted literal is decoded again and compared with the GBK bytes of the original; any difference,
or a non-ASCII raw string that cannot be escaped, stops the copy.

usage: gbk-literals.py SOURCE_ROOT DEST_ROOT [ENTRY...] [--as-is ENTRY...]   (entries default to the whole tree)
Entries after --as-is are copied unchanged: code compiled with UTF-8 literals (the report server).
A file is rewritten only when its converted text differs, so incremental builds stay incremental.
"""
import os
import shutil
import sys

SOURCE_SUFFIXES = ('.cpp', '.cc', '.h', '.hpp', '.inc')
SIMPLE_ESCAPES = {'n': 10, 't': 9, 'r': 13, 'a': 7, 'b': 8, 'f': 12, 'v': 11, '\\': 92, '"': 34, "'": 39, '?': 63}


class ConversionError(Exception):
    pass


def decode_escapes(body):
    """The bytes an ordinary literal's body (UTF-8 source text) stands for under a GBK execution set."""
    out = bytearray()
    i = 0
    while i < len(body):
        c = body[i]
        if c != '\\':
            out += c.encode('gbk')
            i += 1
            continue
        e = body[i + 1]
        if e in SIMPLE_ESCAPES:
            out.append(SIMPLE_ESCAPES[e])
            i += 2
        elif e in '01234567':
            j = i + 1
            while j < len(body) and j < i + 4 and body[j] in '01234567':
                j += 1
            out.append(int(body[i + 1:j], 8) & 0xFF)
            i = j
        elif e == 'x':
            j = i + 2
            while j < len(body) and body[j] in '0123456789abcdefABCDEF':
                j += 1
            out.append(int(body[i + 2:j], 16) & 0xFF)
            i = j
        elif e == '\n':
            i += 2
        else:
            raise ConversionError('unknown escape \\' + e)
    return bytes(out)


def escape_body(body):
    out = []
    for ch in body:
        if ord(ch) < 0x80:
            out.append(ch)
        else:
            try:
                gbk = ch.encode('gbk')
            except UnicodeEncodeError:
                raise ConversionError('%r has no GBK form' % ch)
            out.append(''.join('\\%03o' % b for b in gbk))
    return ''.join(out)


def convert(text, name):
    """Returns the converted text and the number of literals changed."""
    out = []
    i = 0
    n = len(text)
    changed = 0
    while i < n:
        c = text[i]
        if text.startswith('//', i):
            j = text.find('\n', i)
            j = n if j < 0 else j
            out.append(text[i:j])
            i = j
        elif text.startswith('/*', i):
            j = text.find('*/', i + 2)
            j = n if j < 0 else j + 2
            out.append(text[i:j])
            i = j
        elif c in '"\'':
            # The identifier or number right before the quote: a literal prefix, or a digit separator.
            start = i
            while start > 0 and (text[start - 1].isalnum() or text[start - 1] == '_'):
                start -= 1
            word = text[start:i]
            if c == "'" and word and word[0].isdigit():
                out.append(c)  # 1'000
                i += 1
                continue
            raw = word in ('R', 'u8R', 'uR', 'UR', 'LR') and c == '"'
            if raw:
                open_paren = text.index('(', i)
                delim = text[i + 1:open_paren]
                end = text.index(')' + delim + '"', open_paren) + len(delim) + 2
                literal = text[i:end]
                if word == 'R' and any(ord(ch) >= 0x80 for ch in literal):
                    raise ConversionError('%s: a raw string with non-ASCII text cannot be escaped' % name)
                out.append(literal)
                i = end
                continue
            j = i + 1
            while j < n and text[j] != c:
                if text[j] == '\\':
                    j += 1
                elif text[j] == '\n':
                    raise ConversionError('%s: unterminated literal at offset %d' % (name, i))
                j += 1
            body = text[i + 1:j]
            narrow = word not in ('u8', 'u', 'U', 'L')
            if narrow and any(ord(ch) >= 0x80 for ch in body):
                escaped = escape_body(body)
                if decode_escapes(escaped) != decode_escapes(body):
                    raise ConversionError('%s: literal at offset %d does not survive escaping' % (name, i))
                out.append(c + escaped + c)
                changed += 1
            else:
                out.append(c + body + c)
            i = j + 1
        else:
            out.append(c)
            i += 1
    return ''.join(out), changed


def copy_tree(src_root, dst_root, entries, as_is=()):
    total = 0
    for entry in list(entries) + list(as_is):
        src = os.path.join(src_root, entry)
        paths = [src] if os.path.isfile(src) else [os.path.join(d, f) for d, _, fs in os.walk(src) for f in fs]
        for path in paths:
            rel = os.path.relpath(path, src_root)
            dst = os.path.join(dst_root, rel)
            os.makedirs(os.path.dirname(dst), exist_ok=True)
            if path.endswith(SOURCE_SUFFIXES) and entry not in as_is:
                with open(path, encoding='utf-8') as f:
                    text, changed = convert(f.read(), rel)
                total += changed
                data = text.encode('utf-8')
            else:
                with open(path, 'rb') as f:
                    data = f.read()
            old = None
            if os.path.exists(dst):
                with open(dst, 'rb') as f:
                    old = f.read()
            if old != data:
                with open(dst, 'wb') as f:
                    f.write(data)
                shutil.copymode(path, dst)
    return total


def main():
    if len(sys.argv) < 3:
        sys.exit(__doc__)
    src_root, dst_root = sys.argv[1], sys.argv[2]
    args = sys.argv[3:]
    cut = args.index('--as-is') if '--as-is' in args else len(args)
    entries, as_is = args[:cut], args[cut + 1:]
    if not entries and not as_is:
        entries = [e for e in os.listdir(src_root) if not e.startswith(('.', 'build'))]
    try:
        total = copy_tree(src_root, dst_root, entries, as_is)
    except ConversionError as e:
        sys.exit('gbk-literals: %s' % e)
    print('gbk-literals: %d literals hold GBK escapes' % total)


if __name__ == '__main__':
    main()
