#include "DialogOpenFlag.h"

#include "ConfigManager.h"
#include "KVOLog.h"
#include "UIlib.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace {

std::vector<DialogOpenFlag*>& OpenDialogs()
{
    static std::vector<DialogOpenFlag*> open;
    return open;
}

std::vector<std::function<void()>>& WaitingForClose()
{
    static std::vector<std::function<void()>> waiting;
    return waiting;
}

// From the event loop: by then the dialog's caller has finished with its page.
void RunWaiting()
{
    auto waiting = std::exchange(WaitingForClose(), {});
    if (waiting.empty() || QCoreApplication::instance() == nullptr)
        return;
    QTimer::singleShot(0, QCoreApplication::instance(), [waiting = std::move(waiting)] {
        for (const auto& then : waiting)
            then();
    });
}

} // namespace

DialogOpenFlag::DialogOpenFlag(CWindowWnd& dialog) : m_dialog(dialog)
{
    OpenDialogs().push_back(this);
    CConfigManager::GetInstance().SetRuntime(CConfigManager::Runtime::DialogOpen, 1);
}

DialogOpenFlag::~DialogOpenFlag()
{
    auto& open = OpenDialogs();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
    if (!open.empty())
        return;
    CConfigManager::GetInstance().SetRuntime(CConfigManager::Runtime::DialogOpen, 0);
    RunWaiting();
}

bool DialogOpenFlag::AnyOpen() { return !OpenDialogs().empty(); }

void DialogOpenFlag::CloseAllThen(std::function<void()> then)
{
    WaitingForClose().push_back(std::move(then));
    if (OpenDialogs().empty()) {
        RunWaiting();
        return;
    }
    WriteLog(KVO_LOG_INFO, "DialogOpenFlag::CloseAllThen closing %zu dialog(s) first", OpenDialogs().size());
    for (DialogOpenFlag* flag : std::vector<DialogOpenFlag*>(OpenDialogs()))
        flag->m_dialog.Close(IDCANCEL);
}
