#include "CTrayIcon.h"

#include "CPaintManagerUI.h"
#include "KVOLog.h"
#include "LanguageConfig.h"
#include "TrayHostProbe.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPixmap>

namespace {

constexpr int kPollMs = 1000;
// After this many unanswered probes the log says plainly that there is no tray.
constexpr int kNoTrayReportTicks = 30;

QIcon TrayIconImage()
{
    if (const QPixmap* image = CPaintManagerUI::GetImage("logo\\tray.png"); image != nullptr && !image->isNull())
        return QIcon(*image);
    // The skin archive is missing: a plain mark still lets the user find the program.
    QPixmap mark(32, 32);
    mark.fill(Qt::transparent);
    QPainter painter(&mark);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(0x4C, 0x8D, 0xFF));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(2, 2, 28, 28);
    return QIcon(mark);
}

CTrayIcon::HostState DesktopProbe(CTrayHostProbe& probe)
{
    const CTrayHostProbe::State state = probe.Probe();
    if (state == CTrayHostProbe::State::Ready)
        return CTrayIcon::HostState::Ready;
    if (state == CTrayHostProbe::State::LockedOut) {
        static bool logged = false;
        if (!logged)
            WriteLog(KVO_LOG_WARN, "CTrayIcon %s", CTrayHostProbe::StateName(state));
        logged = true;
    }
    return state == CTrayHostProbe::State::WaitingForHost ? CTrayIcon::HostState::Waiting : CTrayIcon::HostState::None;
}

} // namespace

CTrayIcon::CTrayIcon(Handlers handlers, HostProbe probe) : m_handlers(std::move(handlers)), m_probe(std::move(probe))
{
    if (!m_probe) {
        auto desktop = std::make_shared<CTrayHostProbe>();
        m_probe = [desktop] { return DesktopProbe(*desktop); };
    }
    m_menu = std::make_unique<QMenu>();
    m_settingAction = m_menu->addAction(QString());
    m_settingAction->setData(kMenuSetting);
    m_closeAction = m_menu->addAction(QString());
    m_closeAction->setData(kMenuClose);
    QObject::connect(m_settingAction, &QAction::triggered, [this] { Run(m_handlers.settings); });
    QObject::connect(m_closeAction, &QAction::triggered, [this] { Run(m_handlers.close); });
    QObject::connect(m_menu.get(), &QMenu::aboutToShow, [this] { Run(m_handlers.menuOpening); });
    m_waitTimer.setInterval(kPollMs);
    QObject::connect(&m_waitTimer, &QTimer::timeout, [this] { OnWaitTimer(); });
}

CTrayIcon::~CTrayIcon()
{
    m_waitTimer.stop();
    m_icon.reset();
}

QAction* CTrayIcon::GetMenuAction(int id) const
{
    if (id == kMenuSetting)
        return m_settingAction;
    if (id == kMenuClose)
        return m_closeAction;
    return nullptr;
}

void CTrayIcon::Show(const std::string& tip)
{
    m_tip = tip;
    m_bWanted = true;
    UpdateMenuTexts();
    if (m_icon) {
        m_icon->setToolTip(QString::fromStdString(m_tip));
        return;
    }
    if (m_waitTimer.isActive())
        return;
    m_waitTicks = 0;
    OnWaitTimer();
}

void CTrayIcon::Delete()
{
    m_bWanted = false;
    m_waitTimer.stop();
    m_icon.reset();
}

void CTrayIcon::OnWaitTimer()
{
    if (!m_bWanted || m_icon) {
        m_waitTimer.stop();
        return;
    }
    const HostState state = m_probe();
    if (state == HostState::Ready) {
        m_waitTimer.stop();
        CreateIcon();
        return;
    }
    if (m_waitTicks == 0 || state != m_lastState)
        WriteLog(KVO_LOG_INFO, "CTrayIcon::Show %s, the icon follows when the desktop's tray appears",
                 state == HostState::Waiting ? "waiting for the tray host" : "no system tray yet");
    else if (m_waitTicks == kNoTrayReportTicks)
        WriteLog(KVO_LOG_WARN, "CTrayIcon::Show no system tray after %d s; still waiting for one", kNoTrayReportTicks * kPollMs / 1000);
    m_lastState = state;
    ++m_waitTicks;
    if (!m_waitTimer.isActive())
        m_waitTimer.start();
}

void CTrayIcon::CreateIcon()
{
    m_icon = std::make_unique<QSystemTrayIcon>(TrayIconImage());
    m_icon->setToolTip(QString::fromStdString(m_tip));
    m_icon->setContextMenu(m_menu.get());
    QObject::connect(m_icon.get(), &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason reason) { HandleActivation(reason); });
    m_icon->show();
    WriteLog(KVO_LOG_INFO, "CTrayIcon::Show tray icon added");
}

void CTrayIcon::HandleActivation(QSystemTrayIcon::ActivationReason reason)
{
    // The context menu itself comes from Qt (or the tray host); its opening is reported through
    // aboutToShow, so only the plain click is handled here.
    if (reason == QSystemTrayIcon::Trigger)
        Run(m_handlers.leftClick);
}

void CTrayIcon::UpdateMenuTexts()
{
    CLanguageConfig& language = CLanguageConfig::GetInstance();
    m_settingAction->setText(QString::fromStdString(language.GetText("other", "tray_setting")));
    m_closeAction->setText(QString::fromStdString(language.GetText("other", "tray_close")));
}

void CTrayIcon::Run(const std::function<void()>& handler)
{
    if (!handler)
        return;
    s_busy.store(1);
    handler();
    s_busy.store(0);
}
