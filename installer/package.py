#!/usr/bin/env python3
"""Files as Windows users get them.

  package.py text SOURCE TARGET [VERSION]   UTF-8 with a byte-order mark and CRLF line ends (so
                                           that Notepad of every Windows version reads it), with
                                           @VERSION@ replaced
  package.py zip ARCHIVE FOLDER FILE...    a zip whose files sit in FOLDER/, so that unpacking
                                           it makes one folder
"""
import os
import sys
import zipfile


def text(source, target, version=""):
    with open(source, encoding="utf-8") as f:
        content = f.read().replace("@VERSION@", version)
    lines = content.replace("\r\n", "\n").split("\n")
    with open(target, "wb") as f:
        f.write(b"\xef\xbb\xbf" + "\r\n".join(lines).encode("utf-8"))


def archive(target, folder, files):
    partial = target + ".partial"
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as z:
        for path in files:
            z.write(path, folder + "/" + os.path.basename(path))
    os.replace(partial, target)


def main(args):
    if len(args) in (3, 4) and args[0] == "text":
        text(*args[1:])
    elif len(args) >= 4 and args[0] == "zip":
        archive(args[1], args[2], args[3:])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
