#pragma once
// The base of every skinned control: a QWidget whose objectName is the control's name, painted
// from its attributes (background colour and image, state images, border). Positions handed to
// SetPos/GetPos are in the window's client coordinates, as window code computes them.

#include <QWidget>
#include <string>

#include "CDuiString.h"
#include "SkinTypes.h"

class CPaintManagerUI;
class QPainter;

class CControlUI : public QWidget {
    Q_OBJECT
public:
    explicit CControlUI(QWidget* parent = nullptr);
    ~CControlUI() override;

    // The skin tag's class name, e.g. "ControlUI", "ButtonUI".
    virtual const char* GetClass() const;

    CDuiString GetName() const;
    void SetName(const CDuiString& name);

    CPaintManagerUI* GetManager() const { return m_pManager; }
    // Also given to every control below this one.
    void SetManager(CPaintManagerUI* manager);
    // The control this one sits in, or nullptr for the root.
    CControlUI* GetParentControl() const;

    virtual CDuiString GetText() const;
    virtual void SetText(const CDuiString& text);
    CDuiString GetToolTip() const;
    void SetToolTip(const CDuiString& text);
    CDuiString GetUserData() const { return m_sUserData; }
    void SetUserData(const CDuiString& data) { m_sUserData = data; }
    std::uintptr_t GetTag() const { return m_tag; }
    void SetTag(std::uintptr_t tag) { m_tag = tag; }

    // The control's own flag: a visible control inside a hidden container stays "visible".
    bool IsVisible() const { return m_bVisible; }
    virtual void SetVisible(bool visible = true);
    bool IsEnabled() const { return m_bEnabled; }
    virtual void SetEnabled(bool enabled = true);
    void SetFocus();
    bool IsFocused() const;

    // Window client coordinates.
    RECT GetPos() const;
    void SetPos(RECT rc);
    // Moves and sizes the control (parent coordinates) and places its children at once, also
    // while the window is hidden (Qt delivers resize events only when it is shown).
    void Place(const QRect& rc);
    bool IsFloat() const { return m_bFloat; }
    void SetFloat(bool isFloat = true);
    // Position relative to the parent control, used when floating.
    RECT GetFloatPos() const { return m_rcFloat; }
    int GetFixedWidth() const { return m_cxFixed; }
    void SetFixedWidth(int cx);
    int GetFixedHeight() const { return m_cyFixed; }
    void SetFixedHeight(int cy);
    // Space kept free around the control inside a layout (l, t, r, b).
    RECT GetPadding() const { return m_rcPadding; }
    void SetPadding(RECT rc);

    DWORD GetBkColor() const { return m_dwBkColor; }
    void SetBkColor(DWORD argb);
    CDuiString GetBkImage() const { return m_sBkImage; }
    void SetBkImage(const CDuiString& image);
    CDuiString GetNormalImage() const { return m_sNormalImage; }
    void SetNormalImage(const CDuiString& image);
    CDuiString GetHotImage() const { return m_sHotImage; }
    void SetHotImage(const CDuiString& image);
    CDuiString GetPushedImage() const { return m_sPushedImage; }
    void SetPushedImage(const CDuiString& image);
    CDuiString GetDisabledImage() const { return m_sDisabledImage; }
    void SetDisabledImage(const CDuiString& image);
    CDuiString GetForeImage() const { return m_sForeImage; }
    void SetForeImage(const CDuiString& image);

    SIZE GetBorderRound() const { return m_cxyBorderRound; }
    void SetBorderRound(SIZE cxy);
    DWORD GetBorderColor() const { return m_dwBorderColor; }
    void SetBorderColor(DWORD argb);
    int GetBorderSize() const { return m_nBorderSize; }
    void SetBorderSize(int size);

    // name="value" pairs; see AttributeList.h. Malformed tails are ignored.
    void ApplyAttributeList(const CDuiString& list);
    void SetAttribute(const CDuiString& name, const CDuiString& value);

    bool IsHot() const { return m_bHot; }
    bool IsPushed() const { return m_bPushed; }

protected:
    // Called after Place changed the geometry; containers lay out their children here.
    virtual void OnPlaced() {}
    // Each class handles its own attributes and hands the rest to its base; false = unknown.
    virtual bool OnAttribute(const std::string& name, const std::string& value);

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

    // Painting steps, in order.
    virtual void DoPaint(QPainter& painter);
    virtual void PaintBkColor(QPainter& painter);
    virtual void PaintBkImage(QPainter& painter);
    virtual void PaintStatusImage(QPainter& painter);
    virtual void PaintText(QPainter& painter);
    virtual void PaintBorder(QPainter& painter);
    // Draws an image attribute text over `area` (control coordinates); false when nothing drawn.
    bool DrawImage(QPainter& painter, const CDuiString& image, const QRect& area);
    bool DrawImage(QPainter& painter, const CDuiString& image) { return DrawImage(painter, image, rect()); }

    // Sends a notification to the owning window.
    void SendNotify(const char* type, WPARAM wParam = 0, LPARAM lParam = 0);
    // The parent container places its children again (size, visibility or padding changed).
    void NeedParentUpdate();
    void SetHot(bool hot);
    void SetPushed(bool pushed);

    CPaintManagerUI* m_pManager = nullptr;
    bool m_bVisible = true;
    bool m_bEnabled = true;
    bool m_bFloat = false;
    bool m_bHot = false;
    bool m_bPushed = false;
    RECT m_rcFloat{};
    RECT m_rcPadding{};
    int m_cxFixed = 0;
    int m_cyFixed = 0;
    DWORD m_dwBkColor = 0;
    DWORD m_dwBorderColor = 0;
    int m_nBorderSize = 0;
    SIZE m_cxyBorderRound{};
    CDuiString m_sText;
    CDuiString m_sBkImage;
    CDuiString m_sNormalImage;
    CDuiString m_sHotImage;
    CDuiString m_sPushedImage;
    CDuiString m_sDisabledImage;
    CDuiString m_sForeImage;
    CDuiString m_sUserData;
    std::uintptr_t m_tag = 0;
};
