// Time to draw one frame of the main scene at 800x600 on the offscreen GL
// driver, including the rasterisation (glFinish), with the real textures when
// build/bin/textures exists. Run from build/bin:
//   SDL_VIDEODRIVER=offscreen ./scene_frame_benchmark
// SCENE_BENCH_WIDTH and SCENE_BENCH_HEIGHT change the frame size.
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>

#include "runtime/input_record.h"
#include "runtime/render_context.h"
#include "scene/main_scene.h"
#include "tests/support/gl_test_context.h"
#include "texturing/texture_slots.h"
#include "texturing/window_record.h"

namespace {

int sizeFromEnvironment(const char* name, int fallback) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::atoi(value) : fallback;
}

struct Show {
    GlTestContext gl{sizeFromEnvironment("SCENE_BENCH_WIDTH", 800),
                     sizeFromEnvironment("SCENE_BENCH_HEIGHT", 600)};
    WindowRecord record;
    InputRecord input;
    MainScene scene;

    Show() {
        record.windowDeviceContext = gl.window();
        record.windowGlContext = gl.context();
        if (std::FILE* f = std::fopen("textures/blob41bc.jpg", "rb")) {
            std::fclose(f);
            loadFilmTexture(renderContext());
            scene.init(renderContext());
        } else {
            std::fprintf(stderr, "textures/ missing: drawing untextured\n");
        }
    }

    void frameAt(double t) {
        scene.timeAccumulator = 0.0;
        double step = t;
        scene.render(step, record, renderContext(), input);
        glFinish();
    }
};

Show& show() {
    static Show* s = new Show();
    return *s;
}

// One moment of the show (seconds in the argument, tenths).
void BM_FrameAt(benchmark::State& state) {
    const double t = state.range(0) / 10.0;
    for (auto _ : state) show().frameAt(t);
}
BENCHMARK(BM_FrameAt)
    ->Arg(0)
    ->Arg(200)
    ->Arg(300)
    ->Arg(450)
    ->Arg(790)
    ->Unit(benchmark::kMillisecond);

// The whole show at 30 frames per second of scene time, cycling.
void BM_WholeShow(benchmark::State& state) {
    int frame = 0;
    for (auto _ : state) {
        show().frameAt((frame % 2430) / 30.0);
        frame += 7;  // spread the frames over the show
    }
}
BENCHMARK(BM_WholeShow)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// The scene's own work without waiting for the rasteriser: the calls are
// queued, not finished (the driver still converts them as they come).
void BM_SubmitOnly(benchmark::State& state) {
    Show& s = show();
    int frame = 0;
    for (auto _ : state) {
        s.scene.timeAccumulator = 0.0;
        double step = (frame++ * 7 % 2430) / 30.0;
        s.scene.render(step, s.record, renderContext(), s.input);
        state.PauseTiming();
        glFinish();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SubmitOnly)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

BENCHMARK_MAIN();
