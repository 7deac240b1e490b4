#pragma once
// The floating layer over the function setting page, as the main page drives it: emptied when
// another page shows, placed over the main window again when that window moves or a page is
// selected.

class IFloatingLayer {
public:
    virtual ~IFloatingLayer() = default;
    virtual void SetEmptyRect() = 0;
    virtual void PlaceOverMainWindow() = 0;
};
