#pragma once
// The one long-lived engine object: texture slots, camera, light and
// material values, projection values, graphics-card results, the progress
// hook, the frame-rate log and a pool of 3DS loaders. Lives in static storage (see
// renderContext()). The texture operations on its slots are free functions
// of the texturing library above it (texturing/texture_slots.h).
#include <cstdint>
#include <fstream>
#include <memory>

#include "runtime/frame_sample.h"
#include "runtime/records/point4.h"
#include "scene3ds/model3ds_loader.h"

using ProgressCallback = void (*)(double);

class RenderContext {
  public:
    static constexpr int kTextureSlots = 3000000;

    RenderContext();
    ~RenderContext();
    RenderContext(const RenderContext&) = delete;
    RenderContext& operator=(const RenderContext&) = delete;

    ProgressCallback progressCallback = nullptr;
    bool vendorIsAti = false;
    double speedFactor = 1.0;
    std::int32_t cardNumber = 0;
    void* deviceContext = nullptr;
    std::uint32_t displayListBase = 0;
    Point4 lightDirection{1.0, 0.0, 0.0, 1};
    double ambientLight[3] = {1.0, 1.0, 1.0};
    CameraFrame camera{{0.0, 2.0, 0.0, 1}, {0.0, 0.0, 0.0, 1}, {0.0, 0.0, 1.0, 1}};
    CameraFrame previousCamera{{0.0, 0.0, 0.0, 1}, {0.0, 0.0, 0.0, 1}, {0.0, 0.0, 0.0, 1}};
    double materialAmbient[3] = {0.1, 0.1, 0.1};
    double materialDiffuse[3] = {0.3, 0.6, 1.0};
    double materialAlpha = 1.0;
    bool generateMipmaps = false;
    std::ofstream frameLog;
    std::unique_ptr<FrameSample[]> frameSamples;
    double frameLogSeconds = 0.0;
    std::uint32_t textureIds[kTextureSlots] = {};
    std::int32_t textureSlotBase = 0;
    double fovOffset = 0.0;
    double nearPlane = 1.5;
    double farPlane = 100.0;
    // A fixed pool of 3DS scene loaders, constructed in index order with the
    // context and destroyed in reverse with it.
    Model3dsLoader loaderPool[1000];

    // Calls the progress hook with `step` when one is set.
    void reportProgress(double step);
    // Reserves 256 display lists; the first name goes to displayListBase.
    void generateDisplayLists();

    void setCamera(double eyeX, double eyeY, double eyeZ, double centerX, double centerY,
                   double centerZ, double upX, double upY, double upZ);
    void applyCamera();
    void setLight(double x, double y, double z, double r, double g, double b);
    void applyLight();
    void setMaterial(double ar, double ag, double ab, double dr, double dg, double db);
    void applyMaterial();

    // Graphics-card speed factor (runtime/graphics_card.cpp).
    void detectGraphicsCard();

    // Frame-rate log (runtime/frame_log.cpp).
    void openFrameLog(const char* fileName, double seconds);
    void storeFrameSample(double frameRate, double time, std::int32_t aux);
    void writeFrameLog();
};

// The process-wide instance, constructed before main runs.
RenderContext& renderContext();
