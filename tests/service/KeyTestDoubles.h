#pragma once
// Doubles for the key handling tests: an effect that remembers whether it is shown and journals
// its calls, a tooltip and presenter actions that record what they were asked, a blank-screen
// window that counts its shows and hides, and a heartbeat recorder for the frames sent to the remote.

#include "FunctionMgr.h"
#include "IBlankScreen.h"
#include "IFunctionToolTip.h"
#include "IPresenterActions.h"

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class Journal {
public:
    void Add(std::string entry)
    {
        std::lock_guard lock(m_mutex);
        m_entries.push_back(std::move(entry));
    }
    std::vector<std::string> Entries() const
    {
        std::lock_guard lock(m_mutex);
        return m_entries;
    }
    void Clear()
    {
        std::lock_guard lock(m_mutex);
        m_entries.clear();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_entries;
};

class ShowingEffect final : public IPresenterFunction {
public:
    ShowingEffect(std::string name, Journal& journal) : m_name(std::move(name)), m_journal(journal) {}
    void Release() override {}
    void Create() override {}
    bool Show(EffectPoint point) override
    {
        Note("Show", point);
        m_shown = true;
        return true;
    }
    void Move(EffectPoint point) override { Note("Move", point); }
    bool Hide(bool force) override
    {
        m_journal.Add(m_name + (force ? ".Hide(force)" : ".Hide"));
        if (!force && stayOnStop)
            return false;
        return m_shown.exchange(false);
    }
    bool IsShown() override { return m_shown; }
    void SetDoAndUp(EffectPoint point) override { Note("SetDoAndUp", point); }
    void SetDoAndDown(EffectPoint point) override { Note("SetDoAndDown", point); }
    void MovePencil(EffectPoint point) override { Note("MovePencil", point); }
    bool IsScreenShotSaving() override { return false; }
    void ClearPostil() override { m_journal.Add(m_name + ".ClearPostil"); }

    std::atomic<bool> m_shown{false};
    // Like the pen: an unforced Hide leaves it on.
    bool stayOnStop = false;

private:
    void Note(const char* call, EffectPoint point)
    {
        m_journal.Add(m_name + "." + call + "(" + std::to_string(point.x) + "," + std::to_string(point.y) + ")");
    }
    std::string m_name;
    Journal& m_journal;
};

inline EffectSet MakeShowingEffects(Journal& journal)
{
    EffectSet effects;
    effects[EFFECT_SPOTLIGHT] = std::make_unique<ShowingEffect>("spotlight", journal);
    effects[EFFECT_LASER] = std::make_unique<ShowingEffect>("laser", journal);
    effects[EFFECT_MAGNIFIER] = std::make_unique<ShowingEffect>("magnifier", journal);
    effects[EFFECT_ANNOTATION] = std::make_unique<ShowingEffect>("annotation", journal);
    effects[EFFECT_SCREENSHOT] = std::make_unique<ShowingEffect>("screenshot", journal);
    return effects;
}

class RecordingToolTip final : public IFunctionToolTip {
public:
    void SetToolTipMode(int functionId) override { journal.Add("tooltip.Mode(" + std::to_string(functionId) + ")"); }
    void SetToolTipColorMode(int) override {}
    void HideToolTip() override { journal.Add("tooltip.Hide"); }
    Journal journal;
};

class RecordingActions final : public IPresenterActions {
public:
    void OnPressPageDownKey() override { journal.Add("OnPressPageDownKey"); }
    void OnPressMouseCustomKey(int code) override { journal.Add("MouseCustom(" + std::to_string(code) + ")"); }
    void SetIsPressFunAndUp(int pressed) override { journal.Add("FunAndUp(" + std::to_string(pressed) + ")"); }
    bool DisplayOnTopRan() const override { return displayOnTopRan; }
    void ClearHoldValues() override { journal.Add("ClearHoldValues"); }
    void ToggleSlideShow(int) override { journal.Add("ToggleSlideShow"); }
    void MirrorScreen(int) override { journal.Add("MirrorScreen"); }
    void HideBlankScreen() override {}
    Journal journal;
    bool displayOnTopRan = false;
};

// A blank-screen window that counts its shows and hides.
class FakeBlankScreen final : public IBlankScreen {
public:
    void ShowBlankScreen(platform::ScreenRect screen) override { ++shows, showing = true, shownOn = screen; }
    void StartHide() override { ++hides, showing = false; }
    bool IsShowing() const override { return showing; }
    void Destroy() override
    {
        if (destroyed != nullptr)
            ++*destroyed;
    }
    int shows = 0;
    int hides = 0;
    int* destroyed = nullptr;  // outlives the window, which the functions delete
    bool showing = false;
    platform::ScreenRect shownOn;
};

// Heartbeat frames as (mouse mode, heart ban); the sender is a plain function, so one per process.
inline std::mutex g_heartMutex;
inline std::vector<std::pair<int, int>> g_heartFrames;
inline void RecordHeart(int mouseMode, int heartBan)
{
    std::lock_guard lock(g_heartMutex);
    g_heartFrames.emplace_back(mouseMode, heartBan);
}
inline std::vector<std::pair<int, int>> TakeHeartFrames()
{
    std::lock_guard lock(g_heartMutex);
    return std::exchange(g_heartFrames, {});
}
