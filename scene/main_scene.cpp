#include "scene/main_scene.h"

#include "runtime/render_context.h"
#include "texturing/texture_slots.h"

void MainScene::setTime(double& t) {
    sceneTime = t;
}

void MainScene::spare1() {}

void MainScene::spare2() {}

void MainScene::init(RenderContext& context) {
    sceneTime = 0.0;
    slotBase = 0;
    createEmptyTexture(context, slotBase + 1, 128, 128);
    createEmptyTexture(context, slotBase + 0, 1024, 1024);
    createEmptyTexture(context, slotBase + 20, 512, 512);
    loadJpegTexture(context, "textures/blob41bc.jpg", slotBase + 10);
    // A second, separate texture from the same image for the falling sprites.
    loadJpegTexture(context, "textures/blob41bc.jpg", slotBase + 12);
    // Takes slot 20 over from the blank texture made above.
    loadJpegTextureWithAlpha(context, "textures/clouds4.jpg", "textures/clouds4a.jpg",
                             slotBase + 20);
    loadJpegTexture(context, "textures/codergr.jpg", slotBase + 40);
    loadJpegTexture(context, "textures/merry.jpg", slotBase + 41);
    timeAccumulator = 0.0;
}
