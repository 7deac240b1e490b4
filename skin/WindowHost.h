#pragma once
// The top-level widget of a CWindowWnd: turns posted messages, mouse, focus and close events
// into (message, wParam, lParam) calls of the window's HandleMessage, and keeps the skin's
// root control covering it.

#include <QWidget>

class CWindowWnd;

namespace skin {

class CWindowHost : public QWidget {
    Q_OBJECT
public:
    CWindowHost(CWindowWnd* owner, QWidget* parent, Qt::WindowFlags flags);
    ~CWindowHost() override;

    // The owner is going away first: stop calling it.
    void Detach() { m_owner = nullptr; }

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Deliver(unsigned int msg, std::uintptr_t wParam, std::intptr_t lParam);

    CWindowWnd* m_owner;
};

} // namespace skin
