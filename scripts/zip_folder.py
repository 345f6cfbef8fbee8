#!/usr/bin/env python3
"""Packs files into a zip that is the same byte for byte from the same files: members sorted by
name, each dated SOURCE_DATE_EPOCH (else the last commit's time), with fixed modes and no owner,
so two builds of one commit give one zip.

usage: zip_folder.py ZIP FOLDER MEMBER...   (the members' paths relative to FOLDER)
"""
import os
import subprocess
import sys
import time
import zipfile


def epoch(source):
    if os.environ.get("SOURCE_DATE_EPOCH"):
        return int(os.environ["SOURCE_DATE_EPOCH"])
    found = subprocess.run(["git", "-C", source, "log", "-1", "--format=%ct"],
                           capture_output=True, text=True, check=False).stdout.strip()
    return int(found) if found else 315532800  # 1980, the first date a zip holds


def main(target, parent, *names):
    stamp = time.gmtime(max(epoch(os.path.dirname(os.path.abspath(__file__))), 315532800))[:6]
    with zipfile.ZipFile(target + ".part", "w") as archive:
        for name in sorted(names):
            entry = zipfile.ZipInfo(name, stamp)
            entry.create_system = 3  # Unix, for the modes below
            executable = name.endswith(".exe")
            entry.external_attr = (0o100755 if executable else 0o100644) << 16
            entry.compress_type = zipfile.ZIP_DEFLATED
            with open(os.path.join(parent, name), "rb") as data:
                archive.writestr(entry, data.read(), compresslevel=9)
    os.replace(target + ".part", target)


if __name__ == "__main__":
    main(*sys.argv[1:])
