#pragma once
// How the key handling names the function or pen colour just chosen. Any thread may call; the
// tooltip window does its work on the UI thread. The program registers the tooltip manager once
// it exists; until then (and after shutdown) there is none and callers skip the notice.

class IFunctionToolTip {
public:
    virtual ~IFunctionToolTip() = default;
    // Function 1 (mouse) to 6 (screenshot).
    virtual void SetToolTipMode(int functionId) = 0;
    // Pen colour 1 (red) to 4 (rainbow).
    virtual void SetToolTipColorMode(int colourMode) = 0;
    virtual void HideToolTip() = 0;
};

void SetFunctionToolTip(IFunctionToolTip* tooltip);
IFunctionToolTip* GetFunctionToolTip();
// Unregisters `tooltip` only while it is still the registered one, so a manager going away
// never clears a newer one.
void ClearFunctionToolTip(IFunctionToolTip* tooltip);
