#pragma once
// The clock of a maker's run. Playing, it runs as the show's does (the timer,
// pulled towards the music); paused, it stands and the music is silent; a
// seek puts the clock and the music at a time exactly (the picture is a
// function of the time, so nothing is replayed); a marked span can loop. The
// fade is a function of the demo time (as in a still at that time), so
// seeking in and out of it is exact; at the end of the fade the run holds
// there, paused, until the maker seeks back. Escape ends the run as it ends
// the show: the fade-out from where it is, then the end.
#include <cstdint>
#include <optional>

class EditClock {
  public:
    // Takes the clock over after the demo initialisation (music playing).
    void start();
    // Sets the program's clock record for this frame: demo time, step,
    // scene time (the demo time; tracks may change it) and the fade.
    void advance();

    bool paused() const { return paused_; }
    void setPaused(bool paused);
    // Puts the clock and the music at `time` (within 0 and the end); the next
    // frame shows that time exactly.
    void seek(double time);
    // Marks the current time; the last two marks span the loop.
    void mark();
    // Loops the span between the last two marks, or stops looping; false
    // (and no loop) when fewer than two different times are marked.
    bool toggleLoop();
    void stopLoop() { looping_ = false; }
    bool looping() const { return looping_; }
    // Ends the run as Escape ends the show: the clock plays on through the
    // fade-out, no longer paused, seeked or looped.
    void requestEnd();
    bool endRequested() const { return endRequested_; }

    double time() const;
    // The row of the current time (whole rows).
    std::uint32_t row() const;
    // The time the run holds at: just before the fade-out is complete.
    static double holdTime();

  private:
    void moveTo(double time);
    void placeMusic(double time);
    void setFade();

    bool paused_ = false;
    bool held_ = false;  // seeked since the last frame: no step for the next one
    bool endRequested_ = false;
    bool faded_ = false;  // the music's volume was lowered by the fade
    std::optional<double> marks_[2];
    bool looping_ = false;
    double loopStart_ = 0.0;
    double loopEnd_ = 0.0;
};
