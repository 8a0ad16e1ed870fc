#pragma once
// The frame rate a player's window shows: the frames drawn over the last
// half second or more, so the number is steady enough to read.
class FrameRateMeter {
  public:
    // Counts one frame that took `seconds`; returns the rate to show.
    double add(double seconds) {
        seconds_ += seconds;
        ++frames_;
        if (seconds_ >= 0.5) {
            rate_ = frames_ / seconds_;
            seconds_ = 0.0;
            frames_ = 0;
        }
        return rate_;
    }

  private:
    double rate_ = 0.0;
    double seconds_ = 0.0;
    int frames_ = 0;
};
