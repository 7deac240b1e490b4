#pragma once
// A control that shows a text: colour, font index of the window, alignment and text padding.

#include <QColor>

#include "CControlUI.h"

class CLabelUI : public CControlUI {
    Q_OBJECT
public:
    explicit CLabelUI(QWidget* parent = nullptr);
    const char* GetClass() const override;

    DWORD GetTextColor() const { return m_dwTextColor; }
    void SetTextColor(DWORD argb);
    DWORD GetDisabledTextColor() const { return m_dwDisabledTextColor; }
    void SetDisabledTextColor(DWORD argb);
    // Index of a font of the window's skin; -1 = the window's default font.
    int GetFont() const { return m_iFont; }
    void SetFont(int index);
    // Qt::Alignment flags.
    int GetTextAlign() const { return m_align; }
    void SetTextAlign(int qtAlignment);
    RECT GetTextPadding() const { return m_rcTextPadding; }
    void SetTextPadding(RECT rc);
    bool IsWordBreak() const { return m_bWordBreak; }
    void SetWordBreak(bool wordBreak);

    // The font the text is drawn with (from the window's font table).
    QFont TextFont() const;
    // True when the text does not fit where it is drawn: a single line wider than the area
    // inside the text padding, or wrapped lines (or one unbreakable word) beyond that area.
    bool IsTextClipped() const;

protected:
    bool OnAttribute(const std::string& name, const std::string& value) override;
    void PaintText(QPainter& painter) override;
    // The colour for the current state; subclasses add hot/pushed colours.
    virtual DWORD CurrentTextColor() const;
    void DrawTextIn(QPainter& painter, const QRect& area, DWORD color, const CDuiString& text);

    DWORD m_dwTextColor = 0xFF000000;
    DWORD m_dwDisabledTextColor = 0;
    int m_iFont = -1;
    int m_align;
    RECT m_rcTextPadding{};
    bool m_bWordBreak = false;
};

// "Text" in skins: a label that wraps its words.
class CTextUI : public CLabelUI {
    Q_OBJECT
public:
    explicit CTextUI(QWidget* parent = nullptr);
    const char* GetClass() const override;
};
