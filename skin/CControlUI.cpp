#include "CControlUI.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <mutex>
#include <set>

#include "AttributeList.h"
#include "CContainerUI.h"
#include "CPaintManagerUI.h"
#include "ImagePainter.h"
#include "KVOLog.h"
#include "SkinValues.h"

namespace {

QColor ToQColor(DWORD argb) { return QColor::fromRgba(argb); }

// Skins written for other versions carry attributes we do not know: say so once per kind.
void ReportUnknownAttribute(const char* cls, const std::string& name)
{
    static std::mutex lock;
    static std::set<std::string> seen;
    std::lock_guard<std::mutex> guard(lock);
    if (seen.insert(std::string(cls) + "." + name).second)
        WriteLog(KVO_LOG_DEBUG, "CControlUI::SetAttribute %s ignores attribute %s", cls, name.c_str());
}

} // namespace

CControlUI::CControlUI(QWidget* parent) : QWidget(parent)
{
    // Painting fills only what the skin says; the rest shows what lies below.
    setAttribute(Qt::WA_NoSystemBackground, true);
}

CControlUI::~CControlUI() = default;

const char* CControlUI::GetClass() const { return "ControlUI"; }

CDuiString CControlUI::GetName() const { return CDuiString::FromQString(objectName()); }

void CControlUI::SetName(const CDuiString& name) { setObjectName(name.ToQString()); }

void CControlUI::SetManager(CPaintManagerUI* manager)
{
    m_pManager = manager;
    for (CControlUI* child : findChildren<CControlUI*>(Qt::FindDirectChildrenOnly))
        child->SetManager(manager);
    update();
}

CControlUI* CControlUI::GetParentControl() const { return qobject_cast<CControlUI*>(parentWidget()); }

CDuiString CControlUI::GetText() const { return m_sText; }

void CControlUI::SetText(const CDuiString& text)
{
    if (m_sText == text)
        return;
    m_sText = text;
    update();
}

CDuiString CControlUI::GetToolTip() const { return CDuiString::FromQString(toolTip()); }

void CControlUI::SetToolTip(const CDuiString& text) { setToolTip(text.ToQString()); }

void CControlUI::SetVisible(bool visible)
{
    const bool changed = m_bVisible != visible;
    m_bVisible = visible;
    setVisible(visible);
    if (changed)
        NeedParentUpdate();
}

void CControlUI::SetEnabled(bool enabled)
{
    m_bEnabled = enabled;
    setEnabled(enabled);
    if (!enabled) {
        m_bHot = false;
        m_bPushed = false;
    }
    update();
}

void CControlUI::SetFocus() { setFocus(Qt::OtherFocusReason); }

bool CControlUI::IsFocused() const { return hasFocus() || (focusProxy() && focusProxy()->hasFocus()); }

RECT CControlUI::GetPos() const
{
    QPoint topLeft = pos();
    if (!isWindow() && parentWidget() && !parentWidget()->isWindow())
        topLeft = parentWidget()->mapTo(window(), pos());
    return RECT{topLeft.x(), topLeft.y(), topLeft.x() + width(), topLeft.y() + height()};
}

void CControlUI::SetPos(RECT rc)
{
    QPoint origin(0, 0);
    if (!isWindow() && parentWidget() && !parentWidget()->isWindow())
        origin = parentWidget()->mapTo(window(), QPoint(0, 0));
    const QRect local(rc.left - origin.x(), rc.top - origin.y(), std::max<long>(0, rc.right - rc.left),
                      std::max<long>(0, rc.bottom - rc.top));
    if (m_bFloat) {
        // Floating controls keep this place across layouts of their parent.
        m_rcFloat = RECT{local.left(), local.top(), local.left() + local.width(), local.top() + local.height()};
        m_cxFixed = local.width();
        m_cyFixed = local.height();
    }
    Place(local);
}

void CControlUI::Place(const QRect& rc)
{
    const QRect r(rc.topLeft(), QSize(std::max(0, rc.width()), std::max(0, rc.height())));
    if (geometry() == r)
        return;
    setGeometry(r);
    OnPlaced();
}

void CControlUI::SetFloat(bool isFloat)
{
    if (m_bFloat == isFloat)
        return;
    m_bFloat = isFloat;
    NeedParentUpdate();
}

void CControlUI::SetFixedWidth(int cx)
{
    m_cxFixed = std::max(0, cx);
    NeedParentUpdate();
}

void CControlUI::SetFixedHeight(int cy)
{
    m_cyFixed = std::max(0, cy);
    NeedParentUpdate();
}

void CControlUI::SetPadding(RECT rc)
{
    m_rcPadding = rc;
    NeedParentUpdate();
}

void CControlUI::SetBkColor(DWORD argb)
{
    m_dwBkColor = argb;
    update();
}

void CControlUI::SetBkImage(const CDuiString& image)
{
    m_sBkImage = image;
    update();
}

void CControlUI::SetNormalImage(const CDuiString& image)
{
    m_sNormalImage = image;
    update();
}

void CControlUI::SetHotImage(const CDuiString& image)
{
    m_sHotImage = image;
    update();
}

void CControlUI::SetPushedImage(const CDuiString& image)
{
    m_sPushedImage = image;
    update();
}

void CControlUI::SetDisabledImage(const CDuiString& image)
{
    m_sDisabledImage = image;
    update();
}

void CControlUI::SetForeImage(const CDuiString& image)
{
    m_sForeImage = image;
    update();
}

void CControlUI::SetBorderRound(SIZE cxy)
{
    m_cxyBorderRound = SIZE{std::max(0L, cxy.cx), std::max(0L, cxy.cy)};
    update();
}

void CControlUI::SetBorderColor(DWORD argb)
{
    m_dwBorderColor = argb;
    update();
}

void CControlUI::SetBorderSize(int size)
{
    m_nBorderSize = std::clamp(size, 0, 100);
    update();
}

void CControlUI::ApplyAttributeList(const CDuiString& list)
{
    for (const skin::Attribute& a : skin::ParseAttributeList(list.view()))
        SetAttribute(CDuiString(a.first), CDuiString(a.second));
}

void CControlUI::SetAttribute(const CDuiString& name, const CDuiString& value)
{
    if (!OnAttribute(name.str(), value.str()))
        ReportUnknownAttribute(GetClass(), name.str());
}

bool CControlUI::OnAttribute(const std::string& name, const std::string& value)
{
    DWORD color = 0;
    RECT rc{};
    SIZE size{};
    int number = 0;
    bool flag = false;
    if (name == "name") {
        SetName(value);
    } else if (name == "pos") {
        if (skin::ParseRect(value, rc)) {
            m_rcFloat = rc;
            m_cxFixed = std::max(0L, rc.right - rc.left);
            m_cyFixed = std::max(0L, rc.bottom - rc.top);
            if (m_bFloat || isWindow() || parentWidget() == nullptr || qobject_cast<CContainerUI*>(parentWidget()) == nullptr)
                Place(QRect(rc.left, rc.top, m_cxFixed, m_cyFixed));
            NeedParentUpdate();
        }
    } else if (name == "float") {
        if (skin::ParseBool(value, flag))
            SetFloat(flag);
    } else if (name == "width") {
        if (skin::ParseInt(value, number))
            SetFixedWidth(number);
    } else if (name == "height") {
        if (skin::ParseInt(value, number))
            SetFixedHeight(number);
    } else if (name == "padding") {
        if (skin::ParseRect(value, rc))
            SetPadding(rc);
    } else if (name == "text") {
        SetText(value);
    } else if (name == "tooltip") {
        SetToolTip(value);
    } else if (name == "userdata") {
        SetUserData(value);
    } else if (name == "bkcolor" || name == "bkcolor1") {
        if (skin::ParseColor(value, color))
            SetBkColor(color);
    } else if (name == "bkimage") {
        SetBkImage(value);
    } else if (name == "normalimage") {
        SetNormalImage(value);
    } else if (name == "hotimage") {
        SetHotImage(value);
    } else if (name == "pushedimage") {
        SetPushedImage(value);
    } else if (name == "disabledimage") {
        SetDisabledImage(value);
    } else if (name == "foreimage") {
        SetForeImage(value);
    } else if (name == "visible") {
        if (skin::ParseBool(value, flag))
            SetVisible(flag);
    } else if (name == "enabled") {
        if (skin::ParseBool(value, flag))
            SetEnabled(flag);
    } else if (name == "bordersize") {
        if (skin::ParseInt(value, number))
            SetBorderSize(number);
    } else if (name == "bordercolor") {
        if (skin::ParseColor(value, color))
            SetBorderColor(color);
    } else if (name == "borderround") {
        if (skin::ParseSize(value, size))
            SetBorderRound(size);
    } else if (name == "mouse" || name == "keyboard" || name == "class") {
        // Input routing is Qt's; these have no effect here but are not errors.
    } else {
        return false;
    }
    return true;
}

void CControlUI::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    DoPaint(painter);
}

void CControlUI::enterEvent(QEnterEvent* event)
{
    if (m_bEnabled)
        SetHot(true);
    QWidget::enterEvent(event);
}

void CControlUI::leaveEvent(QEvent* event)
{
    SetHot(false);
    QWidget::leaveEvent(event);
}

void CControlUI::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange)
        update();
    QWidget::changeEvent(event);
}

void CControlUI::DoPaint(QPainter& painter)
{
    const bool rounded = m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0;
    if (rounded) {
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rect()), m_cxyBorderRound.cx / 2.0, m_cxyBorderRound.cy / 2.0);
        painter.setClipPath(clip);
    }
    PaintBkColor(painter);
    PaintBkImage(painter);
    PaintStatusImage(painter);
    PaintText(painter);
    if (rounded)
        painter.setClipping(false);
    PaintBorder(painter);
}

void CControlUI::PaintBkColor(QPainter& painter)
{
    if ((m_dwBkColor >> 24) != 0)
        painter.fillRect(rect(), ToQColor(m_dwBkColor));
}

void CControlUI::PaintBkImage(QPainter& painter) { DrawImage(painter, m_sBkImage); }

void CControlUI::PaintStatusImage(QPainter& painter)
{
    if (!isEnabled() && !m_sDisabledImage.IsEmpty()) {
        DrawImage(painter, m_sDisabledImage);
    } else if (m_bHot && !m_sHotImage.IsEmpty()) {
        DrawImage(painter, m_sHotImage);
    } else {
        DrawImage(painter, m_sNormalImage);
    }
    DrawImage(painter, m_sForeImage);
}

void CControlUI::PaintText(QPainter&) {}

void CControlUI::PaintBorder(QPainter& painter)
{
    if (m_nBorderSize <= 0 || (m_dwBorderColor >> 24) == 0)
        return;
    QPen pen(ToQColor(m_dwBorderColor));
    pen.setWidth(m_nBorderSize);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal half = m_nBorderSize / 2.0;
    const QRectF r = QRectF(rect()).adjusted(half, half, -half, -half);
    if (m_cxyBorderRound.cx > 0 || m_cxyBorderRound.cy > 0)
        painter.drawRoundedRect(r, m_cxyBorderRound.cx / 2.0, m_cxyBorderRound.cy / 2.0);
    else
        painter.drawRect(r);
}

bool CControlUI::DrawImage(QPainter& painter, const CDuiString& image, const QRect& area)
{
    if (image.IsEmpty())
        return false;
    return skin::PaintSkinImage(painter, area, image.view());
}

void CControlUI::SendNotify(const char* type, WPARAM wParam, LPARAM lParam)
{
    if (m_pManager)
        m_pManager->SendNotify(this, type, wParam, lParam);
}

void CControlUI::NeedParentUpdate()
{
    if (auto* container = qobject_cast<CContainerUI*>(parentWidget()))
        container->NeedUpdate();
}

void CControlUI::SetHot(bool hot)
{
    if (m_bHot == hot)
        return;
    m_bHot = hot;
    update();
}

void CControlUI::SetPushed(bool pushed)
{
    if (m_bPushed == pushed)
        return;
    m_bPushed = pushed;
    update();
}
