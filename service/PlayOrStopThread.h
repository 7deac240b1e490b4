#pragma once

#include "FunctionMgr.h"
#include "OSThread.h"

class PlayOrStopThread final : public OSOwnerThread<FunctionMgr, &FunctionMgr::RunPlayOrStopProc> {
public:
    explicit PlayOrStopThread(FunctionMgr* owner) : OSOwnerThread("PlayOrStopThread", owner) {}
};
