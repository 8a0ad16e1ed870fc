#pragma once
// The 3DS scene player: one loaded file, its animation looping at 30
// frames a second from its first frame, the view it is seen from (the
// file's first camera, or the front view when it has none), and what the
// keys and the mouse do to them. Draws through the scene renderer into
// whatever GL context the caller made current.
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/render_context.h"
#include "scene3ds/model3ds_loader.h"
#include "scene3ds_player/player_actions.h"
#include "scene3ds_render/scene_renderer.h"
#include "scene3ds_render/scene_views.h"

class ScenePlayer {
  public:
    // The model lives in `loader`, which must be fresh (nothing loaded) and
    // outlive the player.
    explicit ScenePlayer(Model3dsLoader& loader) : loader_(loader) {}

    // Loads the file; false with the loader's one-line reason in `error`.
    bool open(const std::string& path, std::string& error);
    // Makes the textures (a GL context must be current); a picture that
    // cannot be had adds one line naming it to `warnings`.
    void setUpGl(RenderContext& context, std::vector<std::string>& warnings);

    // Plays on by `seconds` unless paused.
    void advance(double seconds);
    // Shows the animation at `seconds` (looping) or at frame `frame`.
    void seek(double seconds);
    void setFrame(std::uint32_t frame);

    void apply(PlayerAction action);
    // A drag of (dx, dy) pixels turns the view about the scene; one wheel
    // step in or out zooms by 10 %.
    void orbit(double dx, double dy);
    void zoom(double steps);

    // The file's camera of that name; false when it has none.
    bool chooseCamera(const std::string& name);
    void chooseAxisView(AxisView view);

    ViewSetup viewSetup(int width, int height) const;
    void draw(int width, int height);
    // "FILE - frame F/N - camera NAME - R fps", for a window title.
    std::string title(double framesPerSecond) const;

    const Model3ds& model() const { return loader_; }
    const SceneRenderer& renderer() const { return renderer_; }
    std::uint32_t frame() const;
    std::uint32_t frameCount() const;
    double time() const { return time_; }
    bool paused() const { return paused_; }
    bool quitRequested() const { return quit_; }
    // The file's camera shown, or -1 for an orthographic view.
    int camera() const { return camera_; }
    std::string viewName() const;

    DrawOptions options;

  private:
    Model3dsLoader& loader_;
    SceneRenderer renderer_;
    std::string path_;
    double time_ = 0.0;
    bool paused_ = false;
    bool quit_ = false;
    int camera_ = -1;
    AxisView axis_ = AxisView::Front;
    Orbit orbit_;
};
