#include "CBlankScreenSetting.h"

#include "ConfigManager.h"
#include "DialogOpenFlag.h"
#include "KVOLog.h"
#include "LanguageConfig.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>

#include <algorithm>
#include <cctype>
#include <utility>

namespace {

constexpr const char* kTextSection = "blankscreen";
constexpr const char* kCustomFolder = "button\\FunctionSet\\Custom\\";

std::string Numbered(const char* prefix, int number, const char* suffix)
{
    return prefix + std::to_string(number) + suffix;
}

std::string SkinImage(const std::string& name) { return "file='" + std::string(kCustomFolder) + name + "'"; }

// A user's picture as an image attribute, quoted with whichever quote its path does not hold.
std::string PictureImage(const std::string& path)
{
    const char quote = path.find('\'') == std::string::npos ? '\'' : '"';
    return std::string("file=") + quote + path + quote;
}

// The skin reads backslashes as separators and cannot quote a path holding both quotes, so
// such a path would show some other file or none.
bool CanShowPath(const std::string& path)
{
    return path.find('\\') == std::string::npos &&
           (path.find('\'') == std::string::npos || path.find('"') == std::string::npos);
}

} // namespace

CBlankScreenSetting::CBlankScreenSetting(HWND owner, int slot, PickFile pick)
    : WindowImplBase("BlankScreenSetting.xml"), m_hOwner(owner), m_slot(slot == 0 ? kSlotPresenter : kSlotMouse),
      m_pick(std::move(pick)), m_title(&m_PaintManager), m_colourLabel(&m_PaintManager),
      m_insertLabel(&m_PaintManager), m_insertButton(&m_PaintManager), m_okButton(&m_PaintManager),
      m_cancelButton(&m_PaintManager), m_colours(MakeWrappers<CDuilibButton, kColourCount>(&m_PaintManager)),
      m_pictures(MakeWrappers<CDuilibButton, kPictureCount>(&m_PaintManager)),
      m_deletes(MakeWrappers<CDuilibButton, kPictureCount>(&m_PaintManager))
{
}

bool CBlankScreenSetting::Edit(HWND owner, int slot, PickFile pick)
{
    CBlankScreenSetting window(owner, slot, std::move(pick));
    const DialogOpenFlag flag(window);
    if (window.Create(owner, "", 0, 0) == nullptr) {
        WriteLog(KVO_LOG_ERROR, "CBlankScreenSetting::Edit BlankScreenSetting.xml could not be built");
        return false;
    }
    window.CenterWindow();
    window.ShowModal();
    return window.IsConfirmed();
}

bool CBlankScreenSetting::IsPictureName(const std::string& path)
{
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || dot == 0 || path[dot - 1] == '/')
        return false;
    std::string suffix = path.substr(dot);
    std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](unsigned char c) { return std::tolower(c); });
    return suffix == ".png" || suffix == ".jpg" || suffix == ".bmp";
}

void CBlankScreenSetting::InitWindow()
{
    const CConfigManager& config = CConfigManager::GetInstance();
    m_type = config.GetSlotInt(ConfigSlotInt::SelectType, m_slot);
    m_index = config.GetSlotInt(ConfigSlotInt::SelectIndex, m_slot);
    // A choice the window cannot show (an unknown type or index, a picture since deleted)
    // starts from black.
    const bool colour = m_type == kTypeColour && m_index >= 1 && m_index <= kColourCount;
    if (!colour && !(m_type == kTypePicture && HasPicture(m_index))) {
        m_type = kTypeColour;
        m_index = 1;
    }
    m_title.Init("Title_Label", "", "", true);
    m_title.SetTextFromTable(kTextSection, "blankscreen_Title_Label");
    m_colourLabel.Init("Color_Label", "", "", true);
    m_colourLabel.SetTextFromTable(kTextSection, "blankscreen_Color_Label");
    m_insertLabel.Init("Insert_Image_Label", "", "", true);
    m_insertLabel.SetTextFromTable(kTextSection, "blankscreen_Insert_Image_Label");
    m_insertButton.Init("Insert_Image_Button", "", "", true);
    m_insertButton.SetTextFromTable(kTextSection, "blankscreen_Insert_Image_Button");
    m_okButton.Init("OK_Button", "", "", true);
    m_okButton.SetTextFromTable(kTextSection, "blankscreen_OK_Button");
    m_cancelButton.Init("Cancel_Button", "", "", true);
    m_cancelButton.SetTextFromTable(kTextSection, "blankscreen_Cancel_Button");
    for (int i = 1; i <= kColourCount; ++i)
        m_colours[i - 1].Init(Numbered("Color", i, "_Button"), "", "", true);
    for (int i = 1; i <= kPictureCount; ++i) {
        m_pictures[i - 1].Init(Numbered("Image", i, "_Button"), "", "", true);
        m_deletes[i - 1].Init(Numbered("Delete_Image", i, "_Button"), "", "", false);
    }
    Refresh();
}

bool CBlankScreenSetting::HasPicture(int index) const
{
    if (index < 1 || index > kPictureCount)
        return false;
    const std::string path = CConfigManager::GetInstance().GetImageUrl(m_slot, index);
    return !path.empty() && QFileInfo(QString::fromStdString(path)).isFile();
}

void CBlankScreenSetting::Refresh()
{
    for (int i = 1; i <= kColourCount; ++i) {
        const bool chosen = m_type == kTypeColour && m_index == i;
        m_colours[i - 1].SetNormalImage(SkinImage(Numbered(chosen ? "Color_Select" : "Color", i, ".png")));
    }
    const CConfigManager& config = CConfigManager::GetInstance();
    for (int i = 1; i <= kPictureCount; ++i) {
        const bool present = HasPicture(i);
        const bool chosen = present && m_type == kTypePicture && m_index == i;
        m_pictures[i - 1].SetNormalImage(present ? PictureImage(config.GetImageUrl(m_slot, i))
                                                 : SkinImage(Numbered("Image", i, ".png")));
        // The chosen picture carries the selection frame over it.
        m_pictures[i - 1].SetForeImage(chosen ? SkinImage(Numbered("Image_Select", i, ".png")) : std::string());
        m_deletes[i - 1].SetVisible(!config.GetImageUrl(m_slot, i).empty());
    }
}

std::string CBlankScreenSetting::PickWithDialog() const
{
    QWidget* owner = GetWidget();
    const std::string title = CLanguageConfig::GetInstance().GetText("funset", "fun_set_advanced_features_Select_File_Tip");
    const QString file = QFileDialog::getOpenFileName(owner, QString::fromStdString(title), QString(),
                                                      QStringLiteral("Pictures (*.png *.jpg *.bmp *.PNG *.JPG *.BMP)"));
    return file.toStdString();
}

bool CBlankScreenSetting::InsertPicture(int index)
{
    const std::string path = m_pick ? m_pick() : PickWithDialog();
    if (path.empty())
        return false;
    if (!IsPictureName(path) || !CanShowPath(path) || !QFileInfo(QString::fromStdString(path)).isFile()) {
        WriteLog(KVO_LOG_WARN, "CBlankScreenSetting::InsertPicture %s is not taken: not a .png, .jpg or .bmp file",
                 path.c_str());
        return false;
    }
    int target = index >= 1 && index <= kPictureCount ? index : 0;
    for (int i = 1; i <= kPictureCount && target == 0; ++i) {
        if (!HasPicture(i))
            target = i;
    }
    if (target == 0)
        target = m_type == kTypePicture ? m_index : 1;
    CConfigManager::GetInstance().SetImageUrl(m_slot, target, path, true);
    WriteLog(KVO_LOG_INFO, "CBlankScreenSetting::InsertPicture Image%d:%s", target, path.c_str());
    m_type = kTypePicture;
    m_index = target;
    Refresh();
    return true;
}

void CBlankScreenSetting::Notify(TNotifyUI& msg)
{
    if (msg.sType != DUI_MSGTYPE_CLICK || msg.pSender == nullptr) {
        WindowImplBase::Notify(msg);
        return;
    }
    const std::string name = msg.pSender->GetName().str();
    for (int i = 1; i <= kColourCount; ++i) {
        if (name == m_colours[i - 1].GetName()) {
            m_type = kTypeColour;
            m_index = i;
            Refresh();
            return;
        }
    }
    for (int i = 1; i <= kPictureCount; ++i) {
        if (name == m_pictures[i - 1].GetName()) {
            if (HasPicture(i)) {
                m_type = kTypePicture;
                m_index = i;
                Refresh();
            } else {
                InsertPicture(i); // an empty tile shows a "+": it adds a picture there
            }
            return;
        }
        if (name == m_deletes[i - 1].GetName()) {
            CConfigManager::GetInstance().SetImageUrl(m_slot, i, "", true);
            if (m_type == kTypePicture && m_index == i) {
                m_type = kTypeColour;
                m_index = 1;
            }
            Refresh();
            return;
        }
    }
    if (name == "Insert_Image_Button") {
        InsertPicture();
    } else if (name == "OK_Button") {
        CConfigManager& config = CConfigManager::GetInstance();
        config.SetSlotInt(ConfigSlotInt::SelectType, m_slot, m_type, true);
        config.SetSlotInt(ConfigSlotInt::SelectIndex, m_slot, m_index, true);
        WriteLog(KVO_LOG_INFO, "CBlankScreenSetting::Notify OK slot:%d type:%d index:%d", m_slot, m_type, m_index);
        m_bConfirmed = true;
        Close(IDOK);
    } else if (name == "Cancel_Button" || name == "closebtn") {
        Close(IDCANCEL);
    } else {
        WindowImplBase::Notify(msg);
    }
}
