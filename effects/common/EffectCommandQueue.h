#pragma once
// The show/hide command queue of the effects that run their window work on a worker of their
// own (the laser and the magnifier): a command record carrying the command code and a point,
// put by the interface calls and taken by the worker. Only the log texts differ per effect.

#include "IPresenterFunction.h"
#include "ObjectManager.h"

struct EffectCmdTexts {
    const char* noRecord;    // no free record for a push
    const char* full;        // a push that may not wait found the queue full
    const char* noCommand;   // the worker took nothing
    const char* exit;        // the worker took the exit record
    const char* noPayload;   // the record carries no point
};

// Queues `code` with `point`; with `wait` false a full queue drops it (logged).
void PushEffectCmd(ObjectManager& queue, int code, EffectPoint point, bool wait, const EffectCmdTexts& texts);

enum class EffectCmdTaken { Run, Skip, Exit };
// Takes the next command (waiting for one) and returns its record to the pool.
EffectCmdTaken TakeEffectCmd(ObjectManager& queue, const EffectCmdTexts& texts, int& code, EffectPoint& point);
