#pragma once
// What the key, play and stop commands do: preparing a command (blank screen, settings window,
// tooltip, restoring first, switching to the next function, size steps), starting and stopping
// the current function's effect, keeping the remote's mouse mode and heart ban in step with what
// is shown, parking and restoring the cursor, and moving the shown effect with the remote.
// Commands run on the function manager's play/stop worker; Move runs on the cursor-motion thread.

#include "FunctionMgr.h"
#include "PresenterEnvironment.h"

class CFunctionCommandRunner final : public IFunctionCommandRunner {
public:
    CFunctionCommandRunner(FunctionMgr& functionMgr, const PresenterEnvironment& environment);

    void RunPlayOrStop(int cmdId, int devType, FunctionCommand& command) override;
    void RunServiceCommand(int cmdId, int devType) override;

    // Moves the virtual pointer by the remote's motion and the shown effect with it.
    void Move(int key, EffectPoint delta);
    // Parks the real cursor at the right edge of the presentation screen while an effect shows.
    void HideCursor(int functionId);
    // Brings a parked cursor back, unless the user has moved it away since.
    void RestoreCursor(int functionId);
    // The function the function key switches to from `current`.
    int NextFunction(int current) const;
    // Where HideCursor parks the cursor.
    EffectPoint ParkingPoint() const;

private:
    void DealWithKeyMsm(FunctionCommand& command);
    void DealWithPlay(FunctionCommand& command);
    void DealWithStop(const FunctionCommand& command);
    void Prepare(const FunctionCommand& command);
    // Follows the presentation screen into a new monitor layout before an effect starts.
    void RefreshScreenRect();
    bool StartFunction(int functionId);
    bool StopFunction(int functionId, bool force);
    bool IsFunctionShown(int functionId) const;
    bool IsScreenShotShown() const;
    void UpdateMouseModeAndHeartBan(int cmdId, int devType, const FunctionCommand& command);
    bool SetMouseMode(int requested, int devType, int functionId);
    // The cursor to park or restore for a function, or null when that function leaves it alone.
    platform::ICursor* ParkableCursor(int functionId) const;
    void HideSettingsWindow();
    void HideToolTip();

    FunctionMgr& m_functionMgr;
    const PresenterEnvironment& m_environment;
};
