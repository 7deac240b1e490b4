#include "DuilibEdit.h"

std::string CDuilibEdit::GetText() const
{
    const auto* edit = As<CEditUI>();
    return edit != nullptr ? edit->GetText().str() : std::string();
}

void CDuilibEdit::SetText(const std::string& text)
{
    if (auto* edit = As<CEditUI>())
        edit->SetText(CDuiString(text));
}

void CDuilibEdit::SetReadOnly(bool readOnly)
{
    if (auto* edit = As<CEditUI>())
        edit->SetReadOnly(readOnly);
}
