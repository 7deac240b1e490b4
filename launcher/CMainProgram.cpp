#include "CMainProgram.h"

#include "ProcProcessList.h"
#include "SessionStart.h"

#include <filesystem>
#include <system_error>

bool CMainProgram::Exists() const
{
    std::error_code ec;
    return std::filesystem::is_regular_file(m_path, ec);
}

bool CMainProgram::IsRunning(const std::string& procFolder) const
{
    return platform::ProcProcessList(procFolder).IsExecutableRunning(m_path);
}

int CMainProgram::Start() const
{
    // The launcher blocks its stop signals and ignores SIGCHLD (so ended children are reaped by
    // the kernel); the program starts with neither, and the launcher's log file and instance lock
    // stay with the launcher.
    return platform::StartInNewSession(m_path, {kHiddenArg});
}
