#pragma once
// A one-line text field: a QLineEdit inside a skinned frame. Sends "textchanged" when the user
// changes the text (not for SetText) and "setfocus"/"killfocus" when the field gains or loses
// the keyboard focus.

#include "CLabelUI.h"

class QLineEdit;

class CEditUI : public CLabelUI {
    Q_OBJECT
public:
    explicit CEditUI(QWidget* parent = nullptr);
    const char* GetClass() const override;

    CDuiString GetText() const override;
    void SetText(const CDuiString& text) override;
    void SetEnabled(bool enabled = true) override;

    bool IsReadOnly() const;
    void SetReadOnly(bool readOnly);
    bool IsPasswordMode() const;
    void SetPasswordMode(bool password);
    int GetMaxChar() const;
    void SetMaxChar(int maxChar);
    // Selects characters [start, end); end -1 = to the end. SetSel(0, -1) selects all.
    void SetSel(long start, long end);
    void SetSelAll() { SetSel(0, -1); }
    // The grey hint shown while the field is empty.
    CDuiString GetTipValue() const;
    void SetTipValue(const CDuiString& tip);

    // Colour of the hint text; 0 = the platform's.
    void SetTipValueColor(DWORD argb);

    QLineEdit* LineEdit() const { return m_edit; }

protected:
    bool OnAttribute(const std::string& name, const std::string& value) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void OnPlaced() override { ApplyLook(); }
    void PaintText(QPainter& painter) override;

private:
    void ApplyLook();

    QLineEdit* m_edit;
    DWORD m_dwTipValueColor = 0;
};
