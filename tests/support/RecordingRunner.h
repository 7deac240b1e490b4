#pragma once
// Test doubles for the function manager: a command runner that records what reached the
// workers, and an effect that records the calls made on it.

#include "FunctionMgr.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

struct RunCommand {
    int cmdId;
    int devType;
    FunctionCommand command;
};

class RecordingRunner final : public IFunctionCommandRunner {
public:
    void RunPlayOrStop(int cmdId, int devType, FunctionCommand& command) override { Add({cmdId, devType, command}); }
    void RunServiceCommand(int cmdId, int devType) override { Add({cmdId, devType, FunctionCommand{}}); }

    // Waits (up to a generous limit that only guards against a hang) until `count` commands ran.
    std::vector<RunCommand> WaitFor(size_t count)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_commands.size() >= count; });
        return m_commands;
    }

private:
    void Add(RunCommand command)
    {
        {
            std::lock_guard lock(m_mutex);
            m_commands.push_back(command);
        }
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<RunCommand> m_commands;
};

// Appends "<name>.<call>" to a shared journal for every call.
class RecordingEffect final : public IPresenterFunction {
public:
    RecordingEffect(std::string name, std::vector<std::string>& journal, bool saving = false)
        : m_name(std::move(name)), m_journal(journal), m_saving(saving)
    {
    }
    void Release() override { Note("Release"); }
    void Create() override { Note("Create"); }
    bool Show(EffectPoint) override { return Note("Show"), true; }
    void Move(EffectPoint) override { Note("Move"); }
    bool Hide(bool) override { return Note("Hide"), true; }
    bool IsShown() override { return false; }
    void SetDoAndUp(EffectPoint) override { Note("SetDoAndUp"); }
    void SetDoAndDown(EffectPoint) override { Note("SetDoAndDown"); }
    void MovePencil(EffectPoint) override { Note("MovePencil"); }
    bool IsScreenShotSaving() override { return m_saving; }
    void ClearPostil() override { Note("ClearPostil"); }

private:
    void Note(const char* call) { m_journal.push_back(m_name + "." + call); }

    std::string m_name;
    std::vector<std::string>& m_journal;
    bool m_saving;
};
