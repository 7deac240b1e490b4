#pragma once
// The base of every skinned window: built from a skin file (relative to the resource path),
// with the overridable steps window classes implement.
//
// Message order: HandleCustomMessage first; when it leaves bHandled false the mouse and focus
// messages go to OnLButtonDown/OnLButtonUp/OnMouseMove/OnKillFocus, whose base versions drag
// the window by its caption band (or have the window system drag it). Windows that override those call the base for that default.

#include "CPaintManagerUI.h"
#include "CWindowWnd.h"
#include "TNotifyUI.h"

class WindowImplBase : public CWindowWnd, public INotifyUI {
public:
    explicit WindowImplBase(const CDuiString& skinFile);
    ~WindowImplBase() override;

    CPaintManagerUI& GetPaintManager() { return m_PaintManager; }
    const CDuiString& GetSkinFile() const { return m_sSkinFile; }

    // Runs inside Create, after the controls exist and before Create returns.
    virtual void InitWindow() {}
    void Notify(TNotifyUI& msg) override;
    virtual LRESULT HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);

    // Coordinates in lParam are window client coordinates (GET_X_LPARAM / GET_Y_LPARAM).
    virtual LRESULT OnLButtonDown(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnLButtonUp(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnMouseMove(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);
    virtual LRESULT OnKillFocus(UINT uMsg, WPARAM wParam, LPARAM lParam, bool& bHandled);

    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // Where the window system places windows itself (a Wayland desktop, which ignores a window's
    // own moves), a caption drag asks it to move the window instead. Set once at start.
    static void SetWindowSystemMoves(bool moves);
    // There, starts the window system's drag of `window` (at a press on its caption); false where
    // the window moves itself, or the window system refused.
    static bool StartWindowSystemMove(QWidget* window);

protected:
    bool OnCreateWindow(QWidget* host) override;

    CPaintManagerUI m_PaintManager;

private:
    CDuiString m_sSkinFile;
    bool m_bCaptionDrag = false;
    POINT m_ptDragStart{};   // global cursor position at the press
    POINT m_ptWindowStart{}; // window position at the press
};
