#include "platform/browser/web_audio.h"

#include <emscripten.h>

// JavaScript bodies: clang-format would split === and => as C++ tokens.
// clang-format off

// The graph lives in Module.webAudio for the module instance's lifetime.
// It is made while the page waits for the start gesture, so that opening
// the audio output (which takes a browser a good part of a second the
// first time) is done by then, and held suspended: sounds are started and
// their first chunks decoded and kept, and webAudioBegin, within the
// gesture, lets the context run and plays them from there.

EM_JS(int, webAudioOpen, (int sampleRate), {
    const Context = globalThis.AudioContext || globalThis.webkitAudioContext;
    if (!Context) return 0;
    const audio = {context : null, analyser : null, voices : [], begun : false, failed : false};
    // Builds a channel's gain node and times its start on the audio clock,
    // on the clock's sample grid so that chunk joins fall on whole frames.
    audio.place = (voice) => {
        const context = audio.context;
        if (!voice.gain) {
            voice.gain = context.createGain();
            voice.gain.gain.value = voice.gainValue;
            voice.gain.connect(audio.analyser);
        }
        const rate = context.sampleRate;
        voice.startTime = Math.ceil((context.currentTime + 0.02) * rate) / rate;
        voice.scheduledEnd = voice.startTime;
    };
    audio.schedule = (voice, chunk) => {
        const context = audio.context;
        const frames = chunk.planes[0].length;
        const buffer = context.createBuffer(chunk.planes.length, frames, voice.rate);
        chunk.planes.forEach((plane, i) => buffer.copyToChannel(plane, i));
        const source = context.createBufferSource();
        source.buffer = buffer;
        source.connect(voice.gain);
        const when = voice.startTime + (chunk.firstFrame - voice.startFrame) / voice.rate;
        source.start(when);
        voice.scheduledEnd = when + buffer.length / voice.rate;
        voice.sources.push(source);
        source.onended = () => {
            const i = voice.sources.indexOf(source);
            if (i >= 0) voice.sources.splice(i, 1);
        };
    };
    // The music cannot play: the sound is taken as stopped, so that the
    // clock runs on the timer alone, and the viewer is told.
    audio.fail = (why) => {
        if (audio.failed) return;
        audio.failed = true;
        for (const voice of audio.voices) {
            if (!voice) continue;
            for (const source of voice.sources) source.stop();
            voice.sources = [];
        }
        if (Module.page) {
            Module.page.problem("The music could not be started (" + why + ").",
                                "The show plays without sound. Reload the page to try " +
                                "again, and check that this site may play sound.");
        }
    };
    // The frame of the voice's sound being heard now.
    audio.position = (voice) => {
        const context = audio.context;
        if (!audio.begun || audio.failed) return voice.startFrame;
        let heard = context.currentTime;
        if (context.getOutputTimestamp) {
            const stamp = context.getOutputTimestamp();
            if (stamp.performanceTime > 0) {
                heard = Math.min(
                    heard, stamp.contextTime + (performance.now() - stamp.performanceTime) / 1000);
            }
        }
        return voice.startFrame + Math.max(0, heard - voice.startTime) * voice.rate;
    };
    // Within the start gesture: the context runs and what waited plays.
    audio.begin = () => {
        if (audio.begun || audio.failed) return;
        audio.begun = true;
        const context = audio.context;
        // Should the browser not let it run, the show goes on without
        // sound rather than waiting for it.
        context.resume().catch((e) => audio.fail(String(e.message || e)));
        setTimeout(() => {
            if (Module.webAudio === audio && context.state !== "running")
                audio.fail("the browser kept the sound switched off");
        }, 3000);
        try {
            for (const voice of audio.voices) {
                if (!voice || !voice.playing) continue;
                audio.place(voice);
                for (const chunk of voice.chunks) audio.schedule(voice, chunk);
                voice.chunks = [];
            }
        } catch (e) {
            audio.fail(String(e.message || e));
        }
    };
    Module.webAudio = audio;
    try {
        try {
            audio.context = new Context({sampleRate : sampleRate, latencyHint : "playback"});
        } catch (e) {
            audio.context = new Context({latencyHint : "playback"});
        }
        // Silent until the gesture, also where the browser would let it run.
        if (audio.context.state === "running") audio.context.suspend().catch(() => {});
        audio.analyser = audio.context.createAnalyser();
        audio.analyser.fftSize = 1024;
        audio.analyser.smoothingTimeConstant = 0;
        audio.analyser.connect(audio.context.destination);
    } catch (e) {
        audio.fail(String(e.message || e));
    }
    return 1;
});

EM_JS(void, webAudioBegin, (), {
    if (Module.webAudio) Module.webAudio.begin();
});

EM_JS(int, webAudioFailed, (), { return Module.webAudio && Module.webAudio.failed ? 1 : 0; });

EM_JS(void, webAudioStartVoice, (int channel, int sampleRate, double startFrame, int restart), {
    const audio = Module.webAudio;
    let voice = audio.voices[channel];
    if (!voice) voice = audio.voices[channel] = {gain : null, gainValue : 1, sources : []};
    // A new sound starts at full volume; a repositioned one keeps its own.
    if (restart) {
        voice.gainValue = 1;
        if (voice.gain) {
            voice.gain.gain.cancelScheduledValues(audio.context.currentTime);
            voice.gain.gain.value = 1;
        }
    }
    voice.playing = true;
    voice.startFrame = startFrame;
    voice.endFrame = startFrame;
    voice.rate = sampleRate;
    voice.chunks = [];
    if (audio.begun && !audio.failed) audio.place(voice);
});

EM_JS(void, webAudioQueue,
      (int channel, const float* left, const float* right, int frames, double firstFrame), {
          const audio = Module.webAudio;
          const voice = audio.voices[channel];
          const planes = [HEAPF32.slice(left >> 2, (left >> 2) + frames)];
          if (left !== right) planes.push(HEAPF32.slice(right >> 2, (right >> 2) + frames));
          voice.chunks.push({planes, firstFrame});
          voice.endFrame = firstFrame + frames;
          if (audio.begun && !audio.failed) audio.schedule(voice, voice.chunks.pop());
      });

EM_JS(double, webAudioSecondsAhead, (int channel), {
    const audio = Module.webAudio;
    const voice = audio && audio.voices[channel];
    if (!voice) return 0;
    if (!audio.begun) return (voice.endFrame - voice.startFrame) / voice.rate;
    return voice.scheduledEnd - audio.context.currentTime;
});

EM_JS(double, webAudioPosition, (int channel), {
    const audio = Module.webAudio;
    const voice = audio && audio.voices[channel];
    return voice ? audio.position(voice) : 0;
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
    voice.chunks = [];
    voice.playing = false;
    voice.scheduledEnd = audio.begun ? audio.context.currentTime : 0;
    voice.endFrame = voice.startFrame;
});

EM_JS(void, webAudioSetGain, (int channel, double gain), {
    const audio = Module.webAudio;
    const voice = audio && audio.voices[channel];
    if (!voice) return;
    voice.gainValue = gain;
    if (voice.gain) voice.gain.gain.setTargetAtTime(gain, audio.context.currentTime, 0.005);
});

EM_JS(int, webAudioSpectrum, (float* decibels), {
    const audio = Module.webAudio;
    if (!audio || !audio.analyser) return 0;
    audio.analyser.getFloatFrequencyData(HEAPF32.subarray(decibels >> 2, (decibels >> 2) + 512));
    return 1;
});

EM_JS(void, webAudioClose, (), {
    const audio = Module.webAudio;
    if (!audio) return;
    Module.webAudio = null;
    if (!audio.context) return;
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
