#pragma once
// Per window: the control tree, the fonts and default attribute lists of its skin, and the
// route of notifications to the window. Process-wide (static): the instance and resource
// folders and the cache of loaded pictures.

#include <QFont>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "CDuiString.h"
#include "SkinTypes.h"
#include "TNotifyUI.h"

class CControlUI;
class QPixmap;
class QWidget;

class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // ---- process-wide ----
    static void SetInstance(HINSTANCE instance);
    static HINSTANCE GetInstance();
    // The folder of the executable, ending with '/'.
    static CDuiString GetInstancePath();
    // Makes `path` the process's working folder as well.
    static void SetCurrentPath(const CDuiString& path);
    static CDuiString GetCurrentPath();
    // Relative paths are taken relative to the current path. Stored ending with '/'.
    static void SetResourcePath(const CDuiString& path);
    static CDuiString GetResourcePath();
    // A skin-relative file name (backslashes allowed) as a full path under the resource path.
    static std::string ResolveResourceFile(const std::string& file);
    // The picture of a skin-relative file, loaded once and cached; nullptr when it cannot be
    // loaded (a warning is logged the first time).
    static const QPixmap* GetImage(const std::string& file);
    static void ClearImageCache();

    // ---- per window ----
    HWND GetPaintWindow() const { return m_hWnd; }
    QWidget* GetPaintWidget() const { return m_pHost; }
    void Init(QWidget* host, HWND hwnd);

    CControlUI* GetRoot() const { return m_pRoot; }
    void AttachRoot(CControlUI* root);
    // The first control of that name in this window, or nullptr.
    CControlUI* FindControl(const CDuiString& name) const;
    template <class T>
    T* FindControlAs(const CDuiString& name) const { return dynamic_cast<T*>(FindControl(name)); }

    // Fonts of the skin by id. Unknown indices (and -1) give the default font.
    void AddFont(int id, const CDuiString& family, int pixelSize, bool bold, bool underline,
                 bool italic, bool isDefault);
    QFont GetFont(int index) const;
    QFont GetDefaultFont() const;
    int GetFontCount() const { return static_cast<int>(m_fonts.size()); }

    // <Default name="Button" value="..."/>: applied to every control of that tag before its own.
    void AddDefaultAttributeList(const CDuiString& tag, const CDuiString& list);
    CDuiString GetDefaultAttributeList(const CDuiString& tag) const;

    // Window properties read from the skin's root element.
    SIZE GetInitSize() const { return m_szInit; }
    void SetInitSize(SIZE size) { m_szInit = size; }
    // Left/right are insets from the window edges, top/bottom the band's rows.
    RECT GetCaptionRect() const { return m_rcCaption; }
    void SetCaptionRect(RECT rc) { m_rcCaption = rc; }
    SIZE GetRoundCorner() const { return m_szRoundCorner; }
    void SetRoundCorner(SIZE size) { m_szRoundCorner = size; }
    SIZE GetMinInfo() const { return m_szMinWindow; }
    void SetMinInfo(SIZE size) { m_szMinWindow = size; }
    SIZE GetMaxInfo() const { return m_szMaxWindow; }
    void SetMaxInfo(SIZE size) { m_szMaxWindow = size; }
    bool IsBackgroundTransparent() const { return m_bBkTrans; }
    void SetBackgroundTransparent(bool trans) { m_bBkTrans = trans; }
    // True when a point (window client coordinates) lies in the caption band.
    bool IsInCaption(POINT pt) const;

    // Notifications go to every notifier added, in order.
    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void SendNotify(CControlUI* sender, const char* type, WPARAM wParam = 0, LPARAM lParam = 0);

private:
    struct FontEntry {
        int id;
        QFont font;
    };

    QWidget* m_pHost = nullptr;
    HWND m_hWnd = nullptr;
    CControlUI* m_pRoot = nullptr;
    std::vector<FontEntry> m_fonts;
    QFont m_defaultFont;
    bool m_bHasDefaultFont = false;
    std::map<std::string, std::string> m_defaultAttributes;
    std::vector<INotifyUI*> m_notifiers;
    SIZE m_szInit{};
    RECT m_rcCaption{};
    SIZE m_szRoundCorner{};
    SIZE m_szMinWindow{};
    SIZE m_szMaxWindow{};
    bool m_bBkTrans = false;
};
