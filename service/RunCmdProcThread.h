#pragma once

#include "FunctionMgr.h"
#include "OSThread.h"

class RunCmdProcThread final : public OSOwnerThread<FunctionMgr, &FunctionMgr::RunCmdProc> {
public:
    explicit RunCmdProcThread(FunctionMgr* owner) : OSOwnerThread("RunCmdProcThread", owner) {}
};
