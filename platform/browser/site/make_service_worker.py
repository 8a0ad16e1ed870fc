#!/usr/bin/env python3
"""Writes the site's service worker for this build.

  make_service_worker.py --site DIR --template FILE --output FILE NAME...

NAME... are the site's files (paths relative to DIR). The template's line
that starts with `const build = ` becomes this build's: every file with its
SHA-256 as a Subresource Integrity value, and a version drawn from all of
them, so that any change to any file makes a new version.
"""
import argparse
import base64
import hashlib
import json
import pathlib
import sys


def integrity(path):
    return "sha256-" + base64.b64encode(hashlib.sha256(path.read_bytes()).digest()).decode()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--site", type=pathlib.Path, required=True)
    parser.add_argument("--template", type=pathlib.Path, required=True)
    parser.add_argument("--output", type=pathlib.Path, required=True)
    parser.add_argument("names", nargs="+")
    args = parser.parse_args()

    names = sorted(set(args.names))
    missing = [name for name in names if not (args.site / name).is_file()]
    if missing:
        sys.exit(f"make_service_worker: not in {args.site}: {', '.join(missing)}")
    files = {name: integrity(args.site / name) for name in names}
    version = hashlib.sha256(json.dumps(files, sort_keys=True).encode()).hexdigest()[:16]
    line = "const build = " + json.dumps({"version": version, "files": files}, indent=2) + ";"

    lines = args.template.read_text().splitlines()
    at = [i for i, text in enumerate(lines) if text.startswith("const build = ")]
    if len(at) != 1:
        sys.exit(f"make_service_worker: {args.template} needs one line starting 'const build = '")
    lines[at[0]] = line
    temporary = args.output.with_name(args.output.name + ".part")
    temporary.write_text("\n".join(lines) + "\n")
    temporary.replace(args.output)


if __name__ == "__main__":
    main()
