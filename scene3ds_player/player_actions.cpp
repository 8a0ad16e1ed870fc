#include "scene3ds_player/player_actions.h"

std::optional<PlayerAction> actionForKey(PlayerKey key) {
    switch (key) {
        case PlayerKey::Space:
            return PlayerAction::TogglePause;
        case PlayerKey::Left:
            return PlayerAction::StepBack;
        case PlayerKey::Right:
            return PlayerAction::StepForward;
        case PlayerKey::Tab:
            return PlayerAction::NextCamera;
        case PlayerKey::F:
            return PlayerAction::FrontView;
        case PlayerKey::T:
            return PlayerAction::TopView;
        case PlayerKey::L:
            return PlayerAction::LeftView;
        case PlayerKey::W:
            return PlayerAction::ToggleWire;
        case PlayerKey::N:
            return PlayerAction::ToggleNormals;
        case PlayerKey::B:
            return PlayerAction::ToggleTangentFrames;
        case PlayerKey::Escape:
            return PlayerAction::Quit;
    }
    return std::nullopt;
}
