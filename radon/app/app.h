// The shell: the menus and the dispatcher made from the command table
// (commands.cpp), and the command loop (shell.cpp).
#ifndef RADON_APP_H
#define RADON_APP_H

#include <string>

#include "radon.h"

extern Menu topmenu, demomenu, chpara, chobj, labmenu, filtermenu, noisemenu;
extern Menu viewsmenu, detectormenu, beammenu, scannermenu, centremenu;
// Run the command for a key code or menu id.
void actionfunc(int c);
// Make `object` current, discarding what was measured of the last one, and draw it.
void selectObject(Object object);
// Rebuild "Change Object" and "Change Parameter" after their lists have changed.
void refreshListMenus(void);
// Make the measured scan current: its grid, its sinogram drawn, its status.
void selectOwnScan(void);
// The mouse callback: any button press opens the popup menu.
void mouse(int button, int state, double x, double y);
// The drop callback: the file becomes the current object and is drawn.
void dropped(const char *path);
// Load the picture file as the object "Image" and add it to "Change Object",
// without selecting it; false with *error (the reason) when it cannot be read.
bool loadObjectFile(const char *path, std::string *error);
// Read the scan file and its data and put "Own scan: TITLE" into "Change
// Object" and its grid into "Change Parameter", without selecting it; false
// with *error ("scan FILE, line N: REASON"), nothing changed, when refused.
bool loadScanFile(const char *path, std::string *error);
// The command loop; never returns.
void loop(void);

// At exit: a write error on standard output (now or earlier) gives
// "radon: write error: REASON" on stderr and status 1 (cli.cpp).
void checkStandardOutputAtExit(void);

#endif
