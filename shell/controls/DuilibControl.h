#pragma once
// The common part of the control wrappers through which pages apply language texts and styles:
// the control's name, the control (looked up once by name in the window's paint manager), the
// cached attribute list and the cached text. A control that is missing from the skin makes
// every call do nothing.

#include "UIlib.h"

#include <QPointer>
#include <string>

class CDuilibControl {
public:
    explicit CDuilibControl(CPaintManagerUI* manager) : m_pManager(manager) {}
    virtual ~CDuilibControl() = default;

    // Finds the control when not yet found; when visible, applies the attribute list of
    // (styleSection, styleKey) from the language table, looked up once and cached (looked up
    // again when `forgetStyle`); then sets the control's visibility. An empty list leaves the
    // skin's own look.
    void Init(const std::string& name, const std::string& styleSection, const std::string& styleKey, bool visible,
              bool forgetStyle = false);
    // Sets the control's text from the language table, looked up once unless `reload`.
    void SetTextFromTable(const std::string& section, const std::string& key, bool reload = false);
    void SetVisible(bool visible);

    CControlUI* GetControl() const { return m_pControl.data(); }
    const std::string& GetName() const { return m_name; }

protected:
    template <class T>
    T* As() const
    {
        return qobject_cast<T*>(m_pControl.data());
    }

private:
    bool Find(const std::string& name);

    CPaintManagerUI* m_pManager;
    std::string m_name;
    QPointer<CControlUI> m_pControl;
    std::string m_style;
    bool m_bStyleCached = false;
    std::string m_text;
    bool m_bTextCached = false;
};

class CDuilibLabel : public CDuilibControl {
public:
    using CDuilibControl::CDuilibControl;
};
