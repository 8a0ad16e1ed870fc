#!/usr/bin/env python3
"""Makes a single-file page: a page of the site with everything it loads
written into it, so that it plays opened from disk and with no network.

  make_single_file.py --site DIR --page index.html --program NAME --output FILE

The page's stylesheets become <style> blocks, its scripts inline scripts and
its icon a data: address; elements marked data-site-only (the service
worker's registration, the web app manifest) are left out. The program's
glue, NAME.js, goes in as a script before the page's first script; NAME.wasm
(gzip-packed) and NAME.data (when there is one) go last, before </body>, as
base64 text in data blocks,
<script type="application/octet-stream" data-file=... data-bytes=...>, which
the page's loader (loader.js) decodes into the buffers the program uses once
the page is parsed. Being last, a file cut short loses its data first, and
the page, already running, says so. Anything the page would still fetch from
the site is an error.
"""
import argparse
import base64
import gzip
import pathlib
import re
import sys

TAG = re.compile(r"<script\b([^>]*)>.*?</script>|<link\b([^>]*)>", re.S | re.I)
ATTRIBUTE = re.compile(r'([\w-]+)(?:\s*=\s*"([^"]*)")?')
LOCAL_REFERENCE = re.compile(r'\b(?:src|href)\s*=\s*"(?!data:|https?:|#)([^"]+)"', re.I)


def fail(message):
    sys.exit(f"make_single_file: {message}")


def attributes(text):
    return {name.lower(): value for name, value in ATTRIBUTE.findall(text)}


def without(text, *names):
    """The tag's attribute text without the named attributes."""
    kept = [m.group(0) for m in ATTRIBUTE.finditer(text) if m.group(1).lower() not in names]
    return "".join(" " + a for a in kept)


def inline_text(path, closing):
    """A file's text for an inline <script> or <style>, which must not end it early."""
    text = path.read_text(encoding="utf-8")
    if re.search(f"</{closing}|<!--", text, re.I):
        fail(f"{path.name} holds '</{closing}' or '<!--', which would end its inline block")
    return text


def data_block(path, packed):
    raw = path.read_bytes()
    body = gzip.compress(raw, compresslevel=9, mtime=0) if packed else raw
    compression = ' data-compression="gzip"' if packed else ""
    return (f'<script type="application/octet-stream" data-file="{path.name}" '
            f'data-bytes="{len(body)}"{compression}>{base64.b64encode(body).decode()}</script>\n')


def data_blocks(site, name):
    blocks = data_block(site / f"{name}.wasm", packed=True)
    if (site / f"{name}.data").is_file():
        blocks += data_block(site / f"{name}.data", packed=False)
    return blocks


def single_file(site, page, program):
    html = (site / page).read_text(encoding="utf-8")
    inserted = False

    def replace(match):
        nonlocal inserted
        is_link = match.group(2) is not None
        attribute_text = match.group(2) if is_link else match.group(1)
        found = attributes(attribute_text)
        if "data-site-only" in found:
            return ""
        if is_link:
            rel = found.get("rel", "").lower()
            target = site / found.get("href", "")
            if rel == "stylesheet":
                return f"<style>{inline_text(target, 'style')}</style>"
            if rel == "icon":
                address = "data:image/png;base64," + base64.b64encode(target.read_bytes()).decode()
                return f'<link{without(attribute_text, "href")} href="{address}">'
            return match.group(0)
        if "src" not in found:
            return match.group(0)
        text = inline_text(site / found["src"], "script")
        script = f'<script{without(attribute_text, "src", "onerror")}>{text}</script>'
        if not inserted:
            inserted = True
            glue = inline_text(site / f"{program}.js", "script")
            script = f'<script data-file="{program}.js">{glue}</script>\n' + script
        return script

    html = TAG.sub(replace, html)
    if not inserted:
        fail(f"{page} loads no script, so there is no place for the program")
    if html.count("</body>") != 1:
        fail(f"{page} needs one </body>, before which the program's data goes")
    html = html.replace("</body>", data_blocks(site, program) + "</body>")
    left = LOCAL_REFERENCE.findall(re.sub(r"<script\b[^>]*>.*?</script>", "", html, flags=re.S))
    if left:
        fail(f"{page} still refers to files of the site: {', '.join(left)}")
    return html


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--site", type=pathlib.Path, required=True)
    parser.add_argument("--page", required=True)
    parser.add_argument("--program", required=True)
    parser.add_argument("--output", type=pathlib.Path, required=True)
    args = parser.parse_args()
    try:
        html = single_file(args.site, args.page, args.program)
    except OSError as e:
        fail(str(e))
    temporary = args.output.with_name(args.output.name + ".part")
    temporary.write_text(html, encoding="utf-8")
    temporary.replace(args.output)


if __name__ == "__main__":
    main()
