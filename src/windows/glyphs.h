// The small pictures of buttons and menus, drawn by the program itself.
#pragma once

#include <QIcon>

namespace ktv31::Glyphs {

QIcon Ok();      // a green tick: accept, acknowledge
QIcon Cancel();  // a red cross: cancel
QIcon Exit();    // an open door with an arrow: leave the window
QIcon Connect(); // two plugs: make the link
QIcon Search();  // a magnifier: detect the speed
QIcon Write();   // an arrow into a chip: write into the device
QIcon Edit();    // a pencil: change the chosen line
QIcon Clear();   // a crossed list: disconnect all
QIcon Info();    // an "i" in a circle: identification
QIcon HangUp();  // a handset: end the call

// The bitmaps of the main menu's top-level items.
QIcon MenuFile();
QIcon MenuParameters();
QIcon MenuLink();
QIcon MenuGeneral();

} // namespace ktv31::Glyphs
