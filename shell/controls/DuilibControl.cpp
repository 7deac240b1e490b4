#include "DuilibControl.h"

#include "KVOLog.h"
#include "LanguageConfig.h"

bool CDuilibControl::Find(const std::string& name)
{
    if (m_pControl && name == m_name)
        return true;
    m_name = name;
    m_pControl = m_pManager != nullptr ? m_pManager->FindControl(CDuiString(name)) : nullptr;
    if (!m_pControl)
        WriteLog(KVO_LOG_ERROR, "CDuilibControl::Init control %s not found", name.c_str());
    return m_pControl;
}

void CDuilibControl::Init(const std::string& name, const std::string& styleSection, const std::string& styleKey,
                          bool visible, bool forgetStyle)
{
    if (!Find(name))
        return;
    if (forgetStyle)
        m_bStyleCached = false;
    if (visible) {
        if (!m_bStyleCached) {
            m_style = styleKey.empty() ? std::string() : CLanguageConfig::GetInstance().GetText(styleSection, styleKey);
            m_bStyleCached = true;
        }
        if (!m_style.empty())
            m_pControl->ApplyAttributeList(CDuiString(m_style));
    }
    m_pControl->SetVisible(visible);
}

void CDuilibControl::SetTextFromTable(const std::string& section, const std::string& key, bool reload)
{
    if (!m_pControl)
        return;
    if (!m_bTextCached || reload) {
        m_text = CLanguageConfig::GetInstance().GetText(section, key);
        m_bTextCached = true;
    }
    m_pControl->SetText(CDuiString(m_text));
}

void CDuilibControl::SetVisible(bool visible)
{
    if (m_pControl)
        m_pControl->SetVisible(visible);
}
