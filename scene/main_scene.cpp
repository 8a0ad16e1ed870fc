#include "scene/main_scene.h"

#include "runtime/render_context.h"

void MainScene::setTime(double& t) {
    sceneTime = t;
}

void MainScene::spare1() {}

void MainScene::spare2() {}

void MainScene::init(RenderContext& context) {
    sceneTime = 0.0;
    slotBase = 0;
    context.createEmptyTexture(slotBase + 1, 128, 128);
    context.createEmptyTexture(slotBase + 0, 1024, 1024);
    context.createEmptyTexture(slotBase + 20, 512, 512);
    context.loadJpegTexture("textures/blob41bc.jpg", slotBase + 10);
    // A second, separate texture from the same image for the falling sprites.
    context.loadJpegTexture("textures/blob41bc.jpg", slotBase + 12);
    // Takes slot 20 over from the blank texture made above.
    context.loadJpegTextureWithAlpha("textures/clouds4.jpg", "textures/clouds4a.jpg",
                                     slotBase + 20);
    context.loadJpegTexture("textures/codergr.jpg", slotBase + 40);
    context.loadJpegTexture("textures/merry.jpg", slotBase + 41);
    timeAccumulator = 0.0;
}
