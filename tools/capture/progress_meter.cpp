#include "tools/capture/progress_meter.h"

#include <algorithm>
#include <string>

namespace {

std::string clockText(double seconds) {
    const long s = static_cast<long>(seconds + 0.5);
    char text[32];
    if (s >= 3600) {
        std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
    } else {
        std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
    }
    return text;
}

}  // namespace

ProgressMeter::ProgressMeter(long total, bool terminal)
    : total_(std::max(1L, total)), terminal_(terminal), start_(std::chrono::steady_clock::now()) {}

void ProgressMeter::update(long done) {
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double interval = terminal_ ? 0.25 : 5.0;
    if (done < total_ && seconds - lastShown_ < interval) return;
    lastShown_ = seconds;
    show(done, seconds);
}

void ProgressMeter::show(long done, double seconds) {
    const double fps = seconds > 0.0 ? done / seconds : 0.0;
    const std::string left = fps > 0.0 ? clockText((total_ - done) / fps) : "?";
    const double share = static_cast<double>(done) / total_;
    if (terminal_) {
        constexpr int kWidth = 30;
        const int filled = static_cast<int>(share * kWidth);
        std::fprintf(stderr, "\r[%s%s] %5.1f%% %ld/%ld frames, %.1f fps, %s left ",
                     std::string(filled, '#').c_str(), std::string(kWidth - filled, '.').c_str(),
                     100.0 * share, done, total_, fps, left.c_str());
        drawn_ = true;
    } else {
        std::fprintf(stderr, "frame %ld of %ld (%.1f%%), %.1f fps, %s left\n", done, total_,
                     100.0 * share, fps, left.c_str());
    }
    std::fflush(stderr);
}

void ProgressMeter::finish() {
    if (drawn_) std::fputc('\n', stderr);
    drawn_ = false;
}
