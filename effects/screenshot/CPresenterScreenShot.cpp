#include "CPresenterScreenShot.h"

#include "CPaintManagerUI.h"
#include "EffectWindows.h"
#include "KVOLog.h"
#include "ScreenSnapshotApi.h"

namespace {

// Written by the plug-in's callback on any of its threads, read by the presenter service.
std::mutex g_savingLock;
bool g_bSaving = false;
// A Hide that came while the capture thread had not yet entered Snapshot: the plug-in ignores a
// cancel while no capture runs, so the bridge passes it on once Snapshot reports its start.
std::atomic<CPresenterScreenShot*> g_pCancelPending{nullptr};

} // namespace

CPresenterScreenShot::CPresenterScreenShot(std::string libraryPath)
    : CPresenterScreenShot(EffectServices{}, std::move(libraryPath))
{
}

CPresenterScreenShot::CPresenterScreenShot(EffectServices services, std::string libraryPath)
    : m_services(std::move(services)), m_libraryPath(std::move(libraryPath))
{
    if (m_libraryPath.empty())
        m_libraryPath = platform::ExecutableFolder() + "/" + kScreenSnapshotLibraryName;
}

CPresenterScreenShot::~CPresenterScreenShot()
{
    // A capture left running would call into an object that is gone. The capture thread may not
    // have reached the plug-in yet, where a cancel would be lost and the plug-in would then wait
    // for this (UI) thread, which waits for it: the thread is told not to start one, and a
    // capture that starts all the same is cancelled as soon as it reports its start.
    m_bClosing = true;
    if (m_bCapturing.load()) {
        g_pCancelPending = this;
        CallEntry("CancelSnapshot");
    }
    if (m_thread)
        m_thread->Join();
}

void CPresenterScreenShot::Create()
{
    std::lock_guard<std::mutex> guard(m_lock);
    WriteLog(KVO_LOG_INFO, "CPresenterScreenShot::Create Begin");
    if (!m_library.IsOpen()) {
        if (m_library.Open(m_libraryPath)) {
            // The plug-in's windows and its callback pointer must outlive every owner of the
            // handle, down to the exit handlers: once loaded it stays.
            m_library.StayLoaded();
            if (auto setCallBack = reinterpret_cast<SetCallBackFunctionFunc>(m_library.Symbol("SetCallBackFunction")))
                setCallBack(&CPresenterScreenShot::OnCallBackFunction);
        } else {
            WriteLog(KVO_LOG_WARN, "CPresenterScreenShot::Create cannot load %s: %s", m_libraryPath.c_str(), m_library.Error().c_str());
        }
    }
    WriteLog(KVO_LOG_INFO, "CPresenterScreenShot::Create End");
}

bool CPresenterScreenShot::Show(EffectPoint)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_library.IsOpen())
        return false;
    if (m_bCapturing.load()) {
        CallEntry("ShowSnapshot");
    } else {
        // The previous capture has returned from Snapshot; its thread is at its very end.
        if (m_thread)
            m_thread->Join();
        // Raised here, not only by the thread, so that a second Show right behind this one
        // cannot start a second capture.
        m_bCapturing = 1;
        g_pCancelPending = nullptr;
        m_thread = std::make_unique<ScreenShotThread>("ScreenShotThread", this);
        m_thread->Start();
    }
    m_bShown = true;
    return true;
}

bool CPresenterScreenShot::Hide(bool)
{
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_library.IsOpen())
        return false;
    WriteLog(KVO_LOG_INFO, "CPresenterScreenShot::Hide Begin");
    m_bShown = false;
    WriteLog(KVO_LOG_INFO, "CPresenterScreenShot::Release SnapshotCancelInterFace");
    if (m_bCapturing.load())
        g_pCancelPending = this;
    CallEntry("CancelSnapshot");
    WriteLog(KVO_LOG_INFO, "CPresenterScreenShot::Hide End");
    return false;
}

bool CPresenterScreenShot::IsShown()
{
    // A capture that was saved or cancelled is over: the next do key starts a new one.
    std::lock_guard<std::mutex> guard(m_lock);
    return m_bShown && m_bCapturing.load() != 0;
}

bool CPresenterScreenShot::IsScreenShotSaving()
{
    std::lock_guard<std::mutex> guard(g_savingLock);
    return g_bSaving;
}

int CPresenterScreenShot::OnCallBackFunction(int code)
{
    switch (code) {
    case KVO_SCREEN_SHOT_INI:
        WriteLog(KVO_LOG_INFO, "OnCallBackFunction KVO_SCREEN_SHOT_INI");
        // The capture now runs: a cancel that came before it reaches the plug-in this time.
        if (CPresenterScreenShot* pending = g_pCancelPending.exchange(nullptr))
            pending->CallEntry("CancelSnapshot");
        break;
    case KVO_SCREEN_SHOT_COMPLETE:
        WriteLog(KVO_LOG_INFO, "OnCallBackFunction KVO_SCREEN_SHOT_COMPLETE");
        break;
    case KVO_SCREEN_SHOT_SAVE_BEGIN:
    case KVO_SCREEN_SHOT_SAVE_END: {
        WriteLog(KVO_LOG_INFO, code == KVO_SCREEN_SHOT_SAVE_BEGIN ? "OnCallBackFunction KVO_SCREEN_SHOT_SAVE_BEGIN"
                                                                  : "OnCallBackFunction KVO_SCREEN_SHOT_SAVE_END");
        std::lock_guard<std::mutex> guard(g_savingLock);
        g_bSaving = code == KVO_SCREEN_SHOT_SAVE_BEGIN;
        break;
    }
    default:
        break;
    }
    return 1;
}

bool CPresenterScreenShot::OnCreateScreenShotThread()
{
    m_bCapturing = 1;
    WriteLog(KVO_LOG_INFO, "OnCreateScreenShotThread Begin");
    // The plug-in freezes the screen as soon as it starts: the previous function must be gone.
    if (!m_bClosing.load())
        EffectWindows::WaitUntilGone(m_services, "OnCreateScreenShotThread");
    if (m_bClosing.load())
        WriteLog(KVO_LOG_INFO, "OnCreateScreenShotThread the program ends: no capture");
    else
        CallEntry("Snapshot");
    // The plug-in may change the current folder while saving; relative paths of the program
    // (skin, settings) depend on it.
    CPaintManagerUI::SetCurrentPath(CPaintManagerUI::GetInstancePath());
    m_bCapturing = 0;
    g_pCancelPending = nullptr;
    WriteLog(KVO_LOG_INFO, "OnCreateScreenShotThread End");
    return false;
}

void CPresenterScreenShot::CallEntry(const char* name)
{
    // Bound at each use, as the plug-in's contract asks; a missing one is skipped.
    if (auto entry = reinterpret_cast<void (*)()>(m_library.Symbol(name)))
        entry();
}
