// The single-instance lock on flock.

#include "SingleInstanceLock.h"

#include "XdgFolders.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

SingleInstanceLock::~SingleInstanceLock()
{
    Release();
}

std::string SingleInstanceLock::FileNameFor(const std::string& name)
{
    std::string out;
    out.reserve(name.size() + 5);
    for (char c : name) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                           c == '_' || c == '-';
        out += plain ? c : '_';
    }
    // A leading dot would hide the file; a name of dots would be no file at all.
    if (!out.empty() && out[0] == '.')
        out[0] = '_';
    return out + ".lock";
}

std::string SingleInstanceLock::LockFolder(std::string* error)
{
    struct stat st {};
    const std::string runtime = XdgFolderPath(XdgFolder::RuntimeDir);
    if (!runtime.empty() && stat(runtime.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return runtime;

    const char* tmp = std::getenv("TMPDIR");
    std::string folder = (tmp != nullptr && tmp[0] == '/') ? tmp : "/tmp";
    folder += "/orvelle-" + std::to_string(getuid());
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = folder + ": " + std::strerror(errno);
        return {};
    }
    // Someone else's folder, or one others may write to, could hand our lock to another user.
    if (lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != getuid() ||
        (st.st_mode & 0077) != 0) {
        if (error)
            *error = folder + " is not a private folder of this user";
        return {};
    }
    return folder;
}

SingleInstanceLock::Result SingleInstanceLock::Acquire(const std::string& name)
{
    Release();
    m_error.clear();
    const std::string folder = LockFolder(&m_error);
    if (folder.empty())
        return Result::Error;
    m_path = folder + "/" + FileNameFor(name);
    const int fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        m_error = m_path + ": " + std::strerror(errno);
        return Result::Error;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        close(fd);
        if (err == EWOULDBLOCK)
            return Result::HeldElsewhere;
        m_error = m_path + ": " + std::strerror(err);
        return Result::Error;
    }
    m_fd = fd;
    return Result::Acquired;
}

void SingleInstanceLock::Release()
{
    if (m_fd >= 0) {
        // The file stays: removing it would let a racing starter lock a fresh file of the same
        // name while another process still holds the old one.
        flock(m_fd, LOCK_UN);
        close(m_fd);
        m_fd = -1;
    }
}

} // namespace platform
