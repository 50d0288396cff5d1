#!/usr/bin/python3
"""The generator reproduces the committed skins: the same files, the same texts and the same
pixels (image files are compared as pictures, so an encoder's byte choices do not matter)."""
import os
import subprocess
import sys
import tempfile

from PIL import Image

root = sys.argv[1]
with tempfile.TemporaryDirectory() as tmp:
    subprocess.run(['/usr/bin/python3', os.path.join(root, 'tools/skins/make_skins.py'), tmp], check=True)
    failures = []
    for name in ('Neutral', 'Dark', 'Light'):
        a, b = os.path.join(root, 'skins', name), os.path.join(tmp, name)
        files_a, files_b = sorted(os.listdir(a)), sorted(os.listdir(b))
        if files_a != files_b:
            failures.append('%s: files %s, generated %s' % (name, files_a, files_b))
            continue
        for f in files_a:
            pa, pb = os.path.join(a, f), os.path.join(b, f)
            if f.upper().endswith(('.BMP', '.PNG', '.JPG')):
                ia, ib = Image.open(pa).convert('RGBA'), Image.open(pb).convert('RGBA')
                if ia.size != ib.size or ia.tobytes() != ib.tobytes():
                    failures.append('%s/%s: pixels differ' % (name, f))
            elif open(pa, 'rb').read() != open(pb, 'rb').read():
                failures.append('%s/%s: bytes differ' % (name, f))
    for f in failures:
        print(f)
    print('%d passed, %d failed' % (0 if failures else 1, len(failures)))
    sys.exit(1 if failures else 0)
