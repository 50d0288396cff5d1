"""Reads the generated documents of json_gen and checks them with Python's own JSON reader:
every layout parses, all layouts of one document give the same value, escaped texts are ASCII,
compact texts carry no blank outside strings, and object members come in descending order of
the 32-bit name hash (ties by ascending name in UTF-16 code units)."""
import json
import sys


def units(s):
    return list(s.encode("utf-16-le", "surrogatepass").__iter__())


def utf16(s):
    b = s.encode("utf-16-le", "surrogatepass")
    return [b[i] | (b[i + 1] << 8) for i in range(0, len(b), 2)]


def name_hash(s):
    h = 0
    for c in utf16(s):
        h = (h * 129 + c + 0x9E370001) & 0xFFFFFFFF
    return h


def check_order(pairs):
    keys = [k for k, _ in pairs]
    for a, b in zip(keys, keys[1:]):
        ha, hb = name_hash(a), name_hash(b)
        if not (ha > hb or (ha == hb and utf16(a) < utf16(b))):
            raise ValueError("member order: %r before %r" % (a, b))
    return dict(pairs)


def load(text):
    return json.loads(text, object_pairs_hook=check_order)


def main():
    data = sys.stdin.buffer.read().decode("utf-8", "surrogatepass")
    records = data.split("\n\x1e\n")
    if records and records[-1] == "":
        records.pop()
    i, docs = 0, 0
    while i < len(records):
        mode = records[i]
        n = 2 if mode == "escaped" else 4
        texts = records[i + 1:i + 1 + n]
        if len(texts) != n:
            raise SystemExit("truncated output at record %d" % i)
        values = []
        for k, t in enumerate(texts):
            try:
                values.append(load(t))
            except ValueError as e:
                raise SystemExit("document %d layout %d does not parse: %s\n%r" % (docs, k, e, t))
        for k, v in enumerate(values[1:], 1):
            if json.dumps(v, sort_keys=True) != json.dumps(values[0], sort_keys=True):
                raise SystemExit("document %d layout %d differs:\n%r\n%r" % (docs, k, texts[0], texts[k]))
        for k in (0, 1):
            if any(ord(c) > 0x7F for c in texts[k]):
                raise SystemExit("document %d: escaped text is not ASCII" % docs)
        if json.dumps(json.loads(texts[0]), separators=(",", ":")).count(" ") < texts[0].count(" "):
            raise SystemExit("document %d: compact text holds blanks" % docs)
        i += 1 + n
        docs += 1
    if docs == 0:
        raise SystemExit("no documents")
    print("%d documents checked" % docs)


main()
