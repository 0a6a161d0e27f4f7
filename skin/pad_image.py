#!/usr/bin/env python3
"""Pads the built skin library to its exact shipped size.

    pad_image.py FILE SIZE

The bytes go after the last section, where the loader never looks (nothing in the headers
changes). Fails when the file is already larger than SIZE. Prints the size before padding and
records it in FILE.unpadded.
"""
import os
import sys


def main():
    path, size = sys.argv[1], int(sys.argv[2])
    built = os.path.getsize(path)
    if built > size:
        sys.exit(f"{path}: {built} bytes, more than the {size} it must have")
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"MZ":
        sys.exit(f"{path}: not a PE file")
    with open(path, "ab") as f:
        f.write(bytes(size - built))
    with open(path + ".unpadded", "w") as f:
        f.write(f"{built}\n")
    print(f"{os.path.basename(path)}: {built} bytes built, padded to {size}")


if __name__ == "__main__":
    main()
