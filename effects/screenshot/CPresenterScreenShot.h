#pragma once
// The screenshot function: a thin bridge to the snapshot plug-in, which brings its own capture
// window. Show starts a capture on a thread of its own (the plug-in's Snapshot blocks until the
// capture is over) or brings the running one forward; Hide asks the plug-in to cancel. While the
// plug-in reports that it is saving, the presenter service drops the remote's commands.

#include "EffectServices.h"
#include "IPresenterFunction.h"
#include "OSThread.h"
#include "SharedLibrary.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <string>

class CPresenterScreenShot final : public IPresenterFunction {
public:
    // `libraryPath` empty: the plug-in beside the program.
    explicit CPresenterScreenShot(std::string libraryPath = {});
    // `services` tell the capture when the effect windows have left the screen.
    explicit CPresenterScreenShot(EffectServices services, std::string libraryPath = {});
    // Cancels a capture still running and waits for it; the library stays loaded.
    ~CPresenterScreenShot() override;

    void Release() override {}
    // Loads the plug-in once and hands it the callback.
    void Create() override;
    bool Show(EffectPoint point) override;
    void Move(EffectPoint) override {}
    bool Hide(bool force) override;
    bool IsShown() override;
    void SetDoAndUp(EffectPoint) override {}
    void SetDoAndDown(EffectPoint) override {}
    void MovePencil(EffectPoint) override {}
    bool IsScreenShotSaving() override;
    void ClearPostil() override {}

    // The plug-in's callback: codes 4 and 5 raise and clear the process-wide saving flag.
    static int OnCallBackFunction(int code);

    // The capture thread's body: one Snapshot, then the program's folder back as current folder.
    bool OnCreateScreenShotThread();
    bool IsCapturing() const { return m_bCapturing.load(); }

private:
    // Calls the entry point `name` when the plug-in has it.
    void CallEntry(const char* name);

    EffectServices m_services;
    std::string m_libraryPath;
    std::mutex m_lock;
    bool m_bShown = false;
    platform::SharedLibrary m_library;
    std::atomic<int32_t> m_bCapturing{0};
    std::atomic<bool> m_bClosing{false}; // the bridge is going: no capture may start
    std::unique_ptr<OSThread> m_thread;
};

using ScreenShotThread = OSOwnerThread<CPresenterScreenShot, &CPresenterScreenShot::OnCreateScreenShotThread>;
