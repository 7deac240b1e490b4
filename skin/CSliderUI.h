#pragma once
// A progress bar with a thumb the user drags: "movevaluechanged" while dragging,
// "valuechanged" when released (or on a click on the track). SetValue sends nothing.

#include "CProgressUI.h"

class CSliderUI : public CProgressUI {
    Q_OBJECT
public:
    explicit CSliderUI(QWidget* parent = nullptr);
    const char* GetClass() const override;

    SIZE GetThumbSize() const { return m_szThumb; }
    void SetThumbSize(SIZE size);
    void SetThumbImage(const CDuiString& image);
    void SetThumbHotImage(const CDuiString& image);
    void SetThumbPushedImage(const CDuiString& image);
    int GetChangeStep() const { return m_nStep; }
    void SetChangeStep(int step);
    // Where the thumb is drawn, control coordinates.
    QRect GetThumbRect() const;

protected:
    bool OnAttribute(const std::string& name, const std::string& value) override;
    void PaintStatusImage(QPainter& painter) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    int ValueAt(const QPoint& pos) const;

    SIZE m_szThumb{10, 10};
    int m_nStep = 1;
    bool m_bDragging = false;
    CDuiString m_sThumbImage;
    CDuiString m_sThumbHotImage;
    CDuiString m_sThumbPushedImage;
};
