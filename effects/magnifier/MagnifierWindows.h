#pragma once
// The magnifier's two windows, one of each for the whole program: the lens, made by the
// magnifier's Create or the main page's initialisation (whichever comes first), and the dim
// layer `Zoom_UI`, made hidden by the main page. Both are freed at shutdown. UI thread; the
// magnifier's posted work looks them up when it runs, so it finds nothing once they are freed.

class MagnifierLens;
class Zoom_UI;

// The lens, created when there is none.
MagnifierLens* Zoom_CreatWindow();
MagnifierLens* GetZoomLens();
// The dim layer, built collapsed when there is none; null when its skin cannot be built.
Zoom_UI* CreateZoomUI();
Zoom_UI* GetZoomUI();
void FreeMagnifierWindows();
