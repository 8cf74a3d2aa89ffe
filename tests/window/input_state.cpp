#include "tests/window/input_state.h"

#include "sorvel/sorvel.h"

namespace sorvel::testing {

void reset_input_state() {
  SETKEY.fill(0);
  LEFTMOUSEDOWN = RIGHTMOUSEDOWN = LEFTMOUSEDOWN2 = RIGHTMOUSEDOWN2 = MOUSEFREE = false;
  XROT = YROT = XROT2 = YROT2 = DEPTH = DEPTH2 = 0.0f;
  XCOORD = YCOORD = ZCOORD = SETMX = SETMY = SETOMX = SETOMY = 0;
  MPOS = {0, 0};
  MSPEED = 0;
  SHOWMENUBAR = false;
  CREATEMENUBAR = nullptr;
  CREATEMOUSEMENU = nullptr;
  GETINPUTCOMMAND = nullptr;
}

}  // namespace sorvel::testing
