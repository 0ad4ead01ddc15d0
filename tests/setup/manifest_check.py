#!/usr/bin/env python3
"""Reads the manifests (RT_MANIFEST resources) of Windows executables.

  manifest_check.py none EXE...       fails when an exe carries a manifest that sets a UAC
                                      execution level (requestedExecutionLevel)
  manifest_check.py level LEVEL EXE   fails unless the exe asks for that level

Without a level Windows Vista and later virtualise the program's writes to the system
directory into the user's own store, which is what keeps its log working for a standard user.
"""
import re
import struct
import sys

RT_MANIFEST = 24


class PeImage:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        if self.data[:2] != b"MZ":
            raise ValueError(f"{path}: not an executable")
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError(f"{path}: no PE header")
        sections, optional_size = struct.unpack_from("<H12xH", self.data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", self.data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.resource_rva = struct.unpack_from("<I", self.data, directories + 2 * 8)[0]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            size, rva, raw_size, raw = struct.unpack_from("<8xIIII", self.data, table + 40 * i)
            self.sections.append((rva, max(size, raw_size), raw))

    def offset(self, rva):
        for start, size, raw in self.sections:
            if start <= rva < start + size:
                return raw + rva - start
        raise ValueError(f"address {rva:#x} lies in no section")

    def resources(self, type_id):
        """The data of every resource of a numeric type (all names, all languages)."""
        if not self.resource_rva:
            return []
        base = self.offset(self.resource_rva)

        def entries(directory):
            named, numbered = struct.unpack_from("<12xHH", self.data, base + directory)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                yield name, target

        def leaves(target):
            if target & 0x80000000:
                for _, child in entries(target & 0x7FFFFFFF):
                    yield from leaves(child)
            else:
                rva, size = struct.unpack_from("<II", self.data, base + target)
                yield self.data[self.offset(rva):self.offset(rva) + size]

        found = []
        for name, target in entries(0):
            if not name & 0x80000000 and name == type_id:
                found.extend(leaves(target))
        return found


def execution_levels(path):
    levels = []
    for manifest in PeImage(path).resources(RT_MANIFEST):
        text = manifest.decode("utf-8", "replace")
        for element in re.findall(r"<(?:\w+:)?requestedExecutionLevel\b[^>]*>", text):
            level = re.search(r"""\blevel\s*=\s*["']([^"']*)""", element)
            levels.append(level.group(1) if level else "")
    return levels


def main(args):
    failed = 0
    if len(args) >= 2 and args[0] == "none":
        for path in args[1:]:
            levels = execution_levels(path)
            if levels:
                print(f"FAIL {path} has a manifest with requestedExecutionLevel {', '.join(levels)}")
                failed += 1
            else:
                print(f"ok   {path} sets no UAC execution level")
    elif len(args) == 3 and args[0] == "level":
        levels = execution_levels(args[2])
        if levels == [args[1]]:
            print(f"ok   {args[2]} asks for {args[1]}")
        else:
            print(f"FAIL {args[2]} asks for {levels or 'no level'}, not {args[1]}")
            failed += 1
    else:
        sys.exit(__doc__)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main(sys.argv[1:])
