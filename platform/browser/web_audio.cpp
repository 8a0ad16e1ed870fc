#include "platform/browser/web_audio.h"

#include <emscripten.h>

// JavaScript bodies: clang-format would split === and => as C++ tokens.
// clang-format off

// The graph lives in Module.webAudio for the module instance's lifetime.

EM_JS(int, webAudioOpen, (int sampleRate), {
    const Context = globalThis.AudioContext || globalThis.webkitAudioContext;
    if (!Context) return 0;
    let context;
    try {
        context = new Context({sampleRate : sampleRate, latencyHint : "playback"});
    } catch (e) {
        context = new Context({latencyHint : "playback"});
    }
    // Called within the page's start gesture, so the browser lets it play.
    context.resume().catch(() => {});
    const analyser = context.createAnalyser();
    analyser.fftSize = 1024;
    analyser.smoothingTimeConstant = 0;
    analyser.connect(context.destination);
    Module.webAudio = {context, analyser, voices : []};
    return 1;
});

EM_JS(void, webAudioStartVoice, (int channel, int sampleRate, double startFrame, int restart), {
    const audio = Module.webAudio;
    const context = audio.context;
    let voice = audio.voices[channel];
    if (!voice) {
        const gain = context.createGain();
        gain.connect(audio.analyser);
        voice = audio.voices[channel] = {gain, sources: []};
    }
    // A new sound starts at full volume; a repositioned one keeps its own.
    if (restart) {
        voice.gain.gain.cancelScheduledValues(context.currentTime);
        voice.gain.gain.value = 1;
    }
    // On the audio clock's sample grid, so chunk joins fall on whole frames.
    const rate = context.sampleRate;
    voice.startTime = Math.ceil((context.currentTime + 0.02) * rate) / rate;
    voice.startFrame = startFrame;
    voice.rate = sampleRate;
    voice.scheduledEnd = voice.startTime;
});

EM_JS(void, webAudioQueue,
      (int channel, const float* left, const float* right, int frames, double firstFrame), {
          const audio = Module.webAudio;
          const voice = audio.voices[channel];
          const context = audio.context;
          const stereo = left != right;
          const buffer = context.createBuffer(stereo ? 2 : 1, frames, voice.rate);
          buffer.copyToChannel(HEAPF32.subarray(left >> 2, (left >> 2) + frames), 0);
          if (stereo) buffer.copyToChannel(HEAPF32.subarray(right >> 2, (right >> 2) + frames), 1);
          const source = context.createBufferSource();
          source.buffer = buffer;
          source.connect(voice.gain);
          const when = voice.startTime + (firstFrame - voice.startFrame) / voice.rate;
          source.start(when);
          voice.scheduledEnd = when + frames / voice.rate;
          voice.sources.push(source);
          source.onended = () => {
              const i = voice.sources.indexOf(source);
              if (i >= 0) voice.sources.splice(i, 1);
          };
      });

EM_JS(double, webAudioSecondsAhead, (int channel), {
    const audio = Module.webAudio;
    const voice = audio && audio.voices[channel];
    return voice ? voice.scheduledEnd - audio.context.currentTime : 0;
});

EM_JS(double, webAudioPosition, (int channel), {
    const audio = Module.webAudio;
    const voice = audio && audio.voices[channel];
    if (!voice) return 0;
    const context = audio.context;
    let heard = context.currentTime;
    if (context.getOutputTimestamp) {
        const stamp = context.getOutputTimestamp();
        if (stamp.performanceTime > 0) {
            heard = Math.min(
                heard, stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000);
        }
    }
    return voice.startFrame + Math.max(0, heard - voice.startTime) * voice.rate;
});

EM_JS(void, webAudioStopVoice, (int channel), {
    const audio = Module.webAudio;
    const voice = audio && audio.voices[channel];
    if (!voice) return;
    for (const source of voice.sources) {
        source.onended = null;
        source.stop();
        source.disconnect();
    }
    voice.sources = [];
    voice.scheduledEnd = audio.context.currentTime;
});

EM_JS(void, webAudioSetGain, (int channel, double gain), {
    const audio = Module.webAudio;
    const voice = audio && audio.voices[channel];
    if (voice) voice.gain.gain.setTargetAtTime(gain, audio.context.currentTime, 0.005);
});

EM_JS(int, webAudioSpectrum, (float* decibels), {
    const audio = Module.webAudio;
    if (!audio) return 0;
    audio.analyser.getFloatFrequencyData(HEAPF32.subarray(decibels >> 2, (decibels >> 2) + 512));
    return 1;
});

EM_JS(void, webAudioClose, (), {
    const audio = Module.webAudio;
    if (!audio) return;
    Module.webAudio = null;
    for (const voice of audio.voices) {
        if (!voice) continue;
        for (const source of voice.sources) {
            source.onended = null;
            source.stop();
        }
    }
    audio.context.close().catch(() => {});
});
// clang-format on
