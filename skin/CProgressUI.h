#pragma once
// A bar that shows value within [min, max]: the fore image (or fore colour) covers the part of
// the control that stands for the value.

#include "CLabelUI.h"

class CProgressUI : public CLabelUI {
    Q_OBJECT
public:
    explicit CProgressUI(QWidget* parent = nullptr);
    const char* GetClass() const override;

    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool horizontal);
    int GetMinValue() const { return m_nMin; }
    void SetMinValue(int min);
    int GetMaxValue() const { return m_nMax; }
    void SetMaxValue(int max);
    int GetValue() const { return m_nValue; }
    // Clamped into [min, max].
    virtual void SetValue(int value);
    DWORD GetForeColor() const { return m_dwForeColor; }
    void SetForeColor(DWORD argb);

protected:
    bool OnAttribute(const std::string& name, const std::string& value) override;
    void PaintStatusImage(QPainter& painter) override;
    // The part of the control that stands for the current value.
    QRect ValueRect() const;

    bool m_bHorizontal = true;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
    DWORD m_dwForeColor = 0;
};
