#!/usr/bin/env python3
"""Usage: single-file.py PAGE-DIR OUTPUT

Makes the page in PAGE-DIR (index.html, data.js, data.data, zokk.js, zokk.wasm) into one HTML
file that plays straight from the disk: the scripts are written inline, the program and the
packed data go in as base64 and are handed to their loaders (Module.wasmBinary and
Module.getPreloadedPackage), so the page asks nothing of a server. A party entry may be at
most 4 MB; a larger file is not written.
"""
import base64
import pathlib
import re
import sys

LIMIT = 4_000_000

# Handed to the loaders before they run; each decodes its bytes only when asked for them.
EMBEDDED = """
(function () {
  function bytes(text) {
    var raw = atob(text);
    var out = new Uint8Array(raw.length);
    for (var i = 0; i < raw.length; ++i) out[i] = raw.charCodeAt(i);
    return out.buffer;
  }
  var program = '%s';
  var data = '%s';
  Module.wasmBinary = bytes(program);
  program = null;
  Module.getPreloadedPackage = function () {
    var packed = bytes(data);
    data = null;
    return packed;
  };
})();
"""


def inline(script):
    # Inside a script element only "</script" (and an HTML comment opener) would end it early;
    # both can only stand in string literals, where the escaped forms mean the same.
    script = re.sub(r'</(script)', r'<\\/\1', script, flags=re.IGNORECASE)
    return '<script>\n' + script.replace('<!--', '<\\!--') + '\n</script>'


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__.strip().splitlines()[0])
    page = pathlib.Path(sys.argv[1])
    output = pathlib.Path(sys.argv[2])
    html = (page / 'index.html').read_text()
    encoded = [base64.b64encode((page / name).read_bytes()).decode('ascii')
               for name in ('zokk.wasm', 'data.data')]
    for name, script in (('data.js', EMBEDDED % tuple(encoded) + (page / 'data.js').read_text()),
                         ('zokk.js', (page / 'zokk.js').read_text())):
        tag = '<script src="%s"></script>' % name
        if html.count(tag) != 1:
            sys.exit('single-file: %s has no single %s' % (page / 'index.html', tag))
        html = html.replace(tag, inline(script))
    size = len(html.encode('utf-8'))
    if size > LIMIT:
        sys.exit('single-file: %s would be %d bytes, more than %d' % (output, size, LIMIT))
    output.write_text(html)


if __name__ == '__main__':
    main()
