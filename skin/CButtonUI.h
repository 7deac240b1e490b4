#pragma once
// A push button: hot/pushed/disabled images and text colours; a press and release inside it
// sends "click".

#include "CLabelUI.h"

class CButtonUI : public CLabelUI {
    Q_OBJECT
public:
    explicit CButtonUI(QWidget* parent = nullptr);
    const char* GetClass() const override;

    DWORD GetHotTextColor() const { return m_dwHotTextColor; }
    void SetHotTextColor(DWORD argb);
    DWORD GetPushedTextColor() const { return m_dwPushedTextColor; }
    void SetPushedTextColor(DWORD argb);
    CDuiString GetHotForeImage() const { return m_sHotForeImage; }
    void SetHotForeImage(const CDuiString& image);

    // Behaves as if the user clicked it (sends "click" when enabled).
    void Activate();

protected:
    bool OnAttribute(const std::string& name, const std::string& value) override;
    void PaintStatusImage(QPainter& painter) override;
    DWORD CurrentTextColor() const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Called for a completed click before "click" is sent (options flip their state here).
    virtual void OnClicked() {}

    DWORD m_dwHotTextColor = 0;
    DWORD m_dwPushedTextColor = 0;
    CDuiString m_sHotForeImage;
};
