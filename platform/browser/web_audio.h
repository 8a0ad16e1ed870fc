#pragma once
// The Web Audio graph behind the browser sound system: one AudioContext,
// running from the start gesture on, per channel a gain node that gapless decoded
// chunks are scheduled into, all channels into one analyser and the output. Times are on the audio
// clock (AudioContext.currentTime); positions are in frames of the sound.
extern "C" {
// Opens the context at `sampleRate` Hz (the browser's own rate when it
// refuses that one), held silent; 0 when the browser has no Web Audio.
// Until webAudioBegin, sounds start and queue without playing: their
// position stands at their start.
int webAudioOpen(int sampleRate);
// Called within the viewer's start gesture: the context runs and what was
// started plays, from its start. Should the browser not let it play, the
// page is told and webAudioFailed turns true.
void webAudioBegin();
// True once the sound cannot play; nothing is heard from then on.
int webAudioFailed();
// Starts a channel's sound at `startFrame`, a few milliseconds from now on
// the audio clock: at gain 1 when `restart` (a new sound), else at the gain
// the channel had (a repositioned one).
void webAudioStartVoice(int channel, int sampleRate, double startFrame, int restart);
// Schedules `frames` planar float frames (channel pointers `left` and
// `right`, equal for mono) that begin at frame `firstFrame` of the sound.
void webAudioQueue(int channel, const float* left, const float* right, int frames,
                   double firstFrame);
// Seconds of sound scheduled beyond the audio clock's present.
double webAudioSecondsAhead(int channel);
// The frame being heard now: the output timestamp carried forward on
// performance.now(), never beyond the audio clock, never before the start.
double webAudioPosition(int channel);
void webAudioStopVoice(int channel);
// Gain 0 to 1 of a started channel, reached within a few milliseconds.
void webAudioSetGain(int channel, double gain);
// The analyser's 512 magnitudes in dB (Blackman window over the last 1024
// mixed samples, no smoothing); 0 when there is no context.
int webAudioSpectrum(float* decibels);
void webAudioClose();
}
