#include "CPaintManagerUI.h"

#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <algorithm>
#include <unordered_map>

#include "CControlUI.h"
#include "ImageAttr.h"
#include "KVOLog.h"
#include "Clock.h"

namespace {

struct Globals {
    HINSTANCE instance = nullptr;
    std::string resourcePath; // absolute, ends with '/', or empty when never set
    // nullptr entries remember files that failed to load, so each is reported once.
    std::unordered_map<std::string, std::unique_ptr<QPixmap>> images;
};

Globals& G()
{
    static Globals g;
    return g;
}

std::string WithSlash(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

} // namespace

CPaintManagerUI::CPaintManagerUI() = default;
CPaintManagerUI::~CPaintManagerUI() = default;

void CPaintManagerUI::SetInstance(HINSTANCE instance) { G().instance = instance; }
HINSTANCE CPaintManagerUI::GetInstance() { return G().instance; }

CDuiString CPaintManagerUI::GetInstancePath()
{
    QString dir = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
    return CDuiString(WithSlash(dir.toStdString()));
}

void CPaintManagerUI::SetCurrentPath(const CDuiString& path)
{
    if (!QDir::setCurrent(path.ToQString()))
        WriteLog(KVO_LOG_WARN, "CPaintManagerUI::SetCurrentPath cannot enter %s", path.GetData());
}

CDuiString CPaintManagerUI::GetCurrentPath() { return CDuiString(WithSlash(QDir::currentPath().toStdString())); }

void CPaintManagerUI::SetResourcePath(const CDuiString& path)
{
    const QString p = QString::fromStdString(skin::NormaliseSkinPath(path.str()));
    const QString absolute = QDir::isAbsolutePath(p) ? QDir::cleanPath(p) : QDir::current().absoluteFilePath(p);
    G().resourcePath = WithSlash(QDir::cleanPath(absolute).toStdString());
}

CDuiString CPaintManagerUI::GetResourcePath() { return CDuiString(G().resourcePath); }

std::string CPaintManagerUI::ResolveResourceFile(const std::string& file)
{
    const std::string normal = skin::NormaliseSkinPath(file);
    if (!normal.empty() && normal.front() == '/')
        return normal;
    const std::string& base = G().resourcePath;
    return base.empty() ? WithSlash(QDir::currentPath().toStdString()) + normal : base + normal;
}

const QPixmap* CPaintManagerUI::GetImage(const std::string& file)
{
    if (file.empty())
        return nullptr;
    const std::string path = ResolveResourceFile(file);
    auto& images = G().images;
    const auto it = images.find(path);
    if (it != images.end())
        return it->second.get();
    std::unique_ptr<QPixmap> pixmap;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        pixmap = std::make_unique<QPixmap>();
        if (!pixmap->load(QString::fromStdString(path)) || pixmap->isNull())
            pixmap.reset();
    }
    if (!pixmap)
        WriteLog(KVO_LOG_WARN, "CPaintManagerUI::GetImage cannot load image %s", path.c_str());
    const QPixmap* result = pixmap.get();
    images.emplace(path, std::move(pixmap));
    return result;
}

void CPaintManagerUI::ClearImageCache() { G().images.clear(); }

void CPaintManagerUI::Init(QWidget* host, HWND hwnd)
{
    m_pHost = host;
    m_hWnd = hwnd;
}

void CPaintManagerUI::AttachRoot(CControlUI* root) { m_pRoot = root; }

CControlUI* CPaintManagerUI::FindControl(const CDuiString& name) const
{
    if (m_pRoot == nullptr || name.IsEmpty())
        return nullptr;
    const QString qname = name.ToQString();
    if (m_pRoot->objectName() == qname)
        return m_pRoot;
    return m_pRoot->findChild<CControlUI*>(qname);
}

void CPaintManagerUI::AddFont(int id, const CDuiString& family, int pixelSize, bool bold, bool underline,
                              bool italic, bool isDefault)
{
    QFont font;
    if (!family.IsEmpty())
        font.setFamily(family.ToQString());
    if (pixelSize > 0)
        font.setPixelSize(std::min(pixelSize, 1000));
    font.setBold(bold);
    font.setUnderline(underline);
    font.setItalic(italic);
    const auto it = std::find_if(m_fonts.begin(), m_fonts.end(), [id](const FontEntry& f) { return f.id == id; });
    if (it != m_fonts.end())
        it->font = font;
    else
        m_fonts.push_back(FontEntry{id, font});
    if (isDefault) {
        m_defaultFont = font;
        m_bHasDefaultFont = true;
    }
}

QFont CPaintManagerUI::GetFont(int index) const
{
    for (const FontEntry& f : m_fonts)
        if (f.id == index)
            return f.font;
    return GetDefaultFont();
}

QFont CPaintManagerUI::GetDefaultFont() const
{
    if (m_bHasDefaultFont)
        return m_defaultFont;
    QFont font;
    font.setPixelSize(12);
    return font;
}

void CPaintManagerUI::AddDefaultAttributeList(const CDuiString& tag, const CDuiString& list)
{
    m_defaultAttributes[tag.str()] = list.str();
}

CDuiString CPaintManagerUI::GetDefaultAttributeList(const CDuiString& tag) const
{
    const auto it = m_defaultAttributes.find(tag.str());
    return it == m_defaultAttributes.end() ? CDuiString() : CDuiString(it->second);
}

bool CPaintManagerUI::IsInCaption(POINT pt) const
{
    if (m_pHost == nullptr)
        return false;
    const long width = m_pHost->width();
    return pt.x >= m_rcCaption.left && pt.x < width - m_rcCaption.right && pt.y >= m_rcCaption.top &&
           pt.y < m_rcCaption.bottom;
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier)
{
    if (notifier && std::find(m_notifiers.begin(), m_notifiers.end(), notifier) == m_notifiers.end())
        m_notifiers.push_back(notifier);
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier)
{
    m_notifiers.erase(std::remove(m_notifiers.begin(), m_notifiers.end(), notifier), m_notifiers.end());
}

void CPaintManagerUI::SendNotify(CControlUI* sender, const char* type, WPARAM wParam, LPARAM lParam)
{
    TNotifyUI msg;
    msg.sType = type;
    msg.pSender = sender;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.dwTimestamp = platform::GetTickCount();
    if (m_pHost) {
        const QPoint p = m_pHost->mapFromGlobal(QCursor::pos());
        msg.ptMouse = POINT{p.x(), p.y()};
    }
    // A handler may remove notifiers (or close the window); walk a copy.
    const std::vector<INotifyUI*> notifiers = m_notifiers;
    for (INotifyUI* n : notifiers)
        n->Notify(msg);
}
