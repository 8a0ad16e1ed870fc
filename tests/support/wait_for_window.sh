# Sourced by the tests that drive windows with xdotool; defines
# wait_for_window TITLE [PID]: prints the first visible window whose name
# matches TITLE (and that process PID owns) once there is one, or nothing
# after 30 s. xdotool's own --sync search gives up with BadWindow when
# another window closes while it walks the window tree, as the window of the
# step before may still be doing, so the search is made again instead.
wait_for_window() {
    local found="" deadline=$((SECONDS + 30)) owner=()
    [[ -n "${2:-}" ]] && owner=(--pid "$2")
    while ((SECONDS < deadline)); do
        found=$(xdotool search --onlyvisible "${owner[@]}" --name "$1" 2>/dev/null | head -1)
        [[ -n "$found" ]] && break
        sleep 0.1
    done
    echo "$found"
}
