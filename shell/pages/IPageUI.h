#pragma once
// A page of the settings window, driven by the main page.

#include "UIlib.h"

class IPageUI {
public:
    virtual ~IPageUI() = default;
    // Applies the page's skin styles and language texts and makes it visible, or hides it.
    virtual void StyleAndShow(bool show) = 0;
    // Notifications of the window while this page is current.
    virtual void Notify(TNotifyUI& msg) = 0;
    // After the factory settings were restored.
    virtual void Reset() {}
    // While the page is current, when its data may have changed.
    virtual void Refresh() {}
};
