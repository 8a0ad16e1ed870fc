# Checks that an installed tree ROOT/PREFIX holds the program, its data, the
# desktop entry, metadata, icons and manual pages, and that the entry and the
# metadata validate. Sourced; defines check_installed ROOT PREFIX.
check_installed() {
    local root=$1 prefix=$2 p="$1$2" missing=()
    local want=(bin/brontavik libexec/brontavik/brontavik bin/brontavik-capture bin/brontavik-edit bin/jpeg-decode
        bin/model3ds-info share/brontavik/music/music.ogg share/man/man1/brontavik.1.gz
        share/doc/brontavik/copyright share/doc/brontavik/screenshot.png)
    for name in blob41bc clouds4 clouds4a codergr merry superfilm3; do
        want+=("share/brontavik/textures/$name.jpg")
    done
    for size in 16 32 48 64 128 256 512; do
        want+=("share/icons/hicolor/${size}x${size}/apps/brontavik.png")
    done
    # A tool that answers --help has a manual page made from it.
    for tool in brontavik-capture brontavik-edit jpeg-decode model3ds-info; do
        "$p/bin/$tool" --help >/dev/null 2>&1 && want+=("share/man/man1/$tool.1.gz")
    done
    for f in "${want[@]}"; do [[ -s "$p/$f" ]] || missing+=("$f"); done
    ((${#missing[@]} == 0)) || { echo "FAIL: missing under $p: ${missing[*]}"; return 1; }
    [[ -x "$p/bin/brontavik" ]] || { echo "FAIL: launcher not executable"; return 1; }
    file -b "$p/share/icons/hicolor/48x48/apps/brontavik.png" | grep -q '48 x 48, 8-bit/color RGBA' ||
        { echo "FAIL: 48x48 icon"; return 1; }
    desktop-file-validate "$p"/share/applications/*.desktop || { echo "FAIL: desktop entry"; return 1; }
    appstreamcli validate --no-net "$p"/share/metainfo/*.metainfo.xml ||
        { echo "FAIL: AppStream metadata"; return 1; }
    local entry
    entry=$(basename "$p"/share/applications/*.desktop)
    grep -q "<launchable type=\"desktop-id\">$entry</launchable>" "$p"/share/metainfo/*.metainfo.xml ||
        { echo "FAIL: metadata does not name the desktop entry $entry"; return 1; }
}

# Renders one still with the installed capture tool, from another folder;
# it must equal the build's own render of the same moment.
check_installed_capture() {
    local tool=$1 reference=$2 out=$3
    (cd / && SDL_VIDEODRIVER=offscreen "$tool" --at 80 --size 160x120 --png "$out") ||
        { echo "FAIL: installed capture tool"; return 1; }
    cmp -s "$out" "$reference" || { echo "FAIL: installed still differs from the build's"; return 1; }
}
