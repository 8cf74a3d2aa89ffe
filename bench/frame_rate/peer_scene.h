// The scene's start-up for the peers, which bring their own window and
// context: the same GL calls as the demo's, for the same drawable size.
#pragma once

#include "demo_scene/scene.h"
#include "sorvel/sorvel.h"

namespace sorvel::bench {

// The library's window has an 800 x 600 outer size and a 794 x 578 client
// area; the peers' windows get that client size, so every peer fills and
// swaps the same pixels.
constexpr int kClientWidth = 794;
constexpr int kClientHeight = 578;

inline void prepare_peer_scene() {
  WIDTH = 800;
  HEIGHT = 600;
  ::prepare_scene();
}

}  // namespace sorvel::bench
