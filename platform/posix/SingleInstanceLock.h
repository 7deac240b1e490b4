#pragma once
// A named, process-wide lock standing in for a named mutex: an exclusive flock on a file in
// $XDG_RUNTIME_DIR (else in a private 0700 folder of the user under the temporary folder). The
// kernel drops the lock when the process ends, however it ends, so a crash never leaves it taken.

#include <string>

namespace platform {

class SingleInstanceLock {
public:
    enum class Result { Acquired, HeldElsewhere, Error };

    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // Takes the lock named `name` without waiting. The descriptor is not inherited by children,
    // so a program started from this one (a restart) can take it once this one is gone.
    Result Acquire(const std::string& name);
    void Release();
    bool IsHeld() const { return m_fd >= 0; }
    // The lock file, once Acquire has chosen it; also the reason when it returned Error.
    const std::string& GetPath() const { return m_path; }
    const std::string& GetError() const { return m_error; }

    // "Global\\Name" as a file name: every character outside [A-Za-z0-9._-] becomes '_'.
    static std::string FileNameFor(const std::string& name);
    // $XDG_RUNTIME_DIR when it is a folder, else "<tmp>/orvelle-<uid>" created 0700 and owned
    // by the user; empty when neither can be had.
    static std::string LockFolder(std::string* error = nullptr);

private:
    int m_fd = -1;
    std::string m_path;
    std::string m_error;
};

} // namespace platform
