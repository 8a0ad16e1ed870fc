#include "runtime/title_stats.h"

#include <algorithm>
#include <cstring>

#include "runtime/input_record.h"
#include "runtime/number_format.h"

namespace {

constexpr int kBlankColumns = 86;

// Copies `text` into the buffer at `column` without a terminator, clipped so
// the buffer's last character always stays NUL.
void place(TitleBuffer& buffer, int column, const std::string& text) {
    const std::size_t room = buffer.size() - 1 - static_cast<std::size_t>(column);
    std::memcpy(buffer.data() + column, text.data(), std::min(text.size(), room));
}

}  // namespace

void countFrame(double frameDelta) {
    fpsSeconds += frameDelta;
    fpsFrames += 1;
    if (fpsSeconds > 2.0) {
        fpsSeconds = 0.0;
        fpsFrames = 0;
    }
}

double titleFrameRate() {
    const double seconds = fpsSeconds < 0.01 ? 0.01 : fpsSeconds;
    return fpsFrames / seconds;
}

TitleBuffer layoutTitle(const std::array<std::string, 5>& numbers) {
    static constexpr int kLabelColumns[5] = {0, 20, 40, 60, 80};
    static constexpr const char* kLabels[5] = {"X:", "Y:", "Time:", "Fps:", "Aux:"};
    static constexpr int kNumberColumns[5] = {3, 23, 45, 64, 84};
    TitleBuffer buffer;
    std::fill(buffer.begin(), buffer.begin() + kBlankColumns, ' ');
    std::fill(buffer.begin() + kBlankColumns, buffer.end(), '\0');
    // Labels first, numbers after: a number too long for its gap runs over
    // the next label rather than being cut by it.
    for (int i = 0; i < 5; ++i) place(buffer, kLabelColumns[i], kLabels[i]);
    for (int i = 0; i < 5; ++i) place(buffer, kNumberColumns[i], numbers[i]);
    return buffer;
}

TitleBuffer buildTitleBuffer(double mouseX, double mouseY, double time, double frameRate,
                             double aux) {
    return layoutTitle({formatSixDigits(mouseX), formatSixDigits(mouseY), formatSixDigits(time),
                        formatSixDigits(frameRate), formatSixDigits(aux)});
}

std::string titleText(const TitleBuffer& buffer) {
    return std::string(buffer.data(), strnlen(buffer.data(), buffer.size()));
}

void updateTitleStats(double aux, double demoTime, InputRecord& input,
                      platform::WindowHandle window) {
    const double rate = titleFrameRate();
    input.frameRate = rate;
    const TitleBuffer buffer = buildTitleBuffer(input.mouseX, input.mouseY, demoTime, rate, aux);
    platform::current().setWindowTitle(window, titleText(buffer).c_str());
}
