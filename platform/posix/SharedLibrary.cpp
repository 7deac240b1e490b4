#include "SharedLibrary.h"

#include <dlfcn.h>

#include <filesystem>

namespace platform {

SharedLibrary::~SharedLibrary() { Close(); }

bool SharedLibrary::Open(const std::string& path)
{
    Close();
    m_handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    m_path = m_handle != nullptr ? path : std::string();
    if (m_handle == nullptr) {
        const char* error = dlerror();
        m_error = error != nullptr ? error : "dlopen failed";
    }
    return m_handle != nullptr;
}

void* SharedLibrary::Symbol(const char* name) const { return m_handle != nullptr ? dlsym(m_handle, name) : nullptr; }

void SharedLibrary::StayLoaded()
{
    if (m_handle == nullptr)
        return;
    if (void* pinned = dlopen(m_path.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE))
        dlclose(pinned);
}

void SharedLibrary::Close()
{
    if (m_handle != nullptr)
        dlclose(m_handle);
    m_handle = nullptr;
}

std::string ExecutableFolder()
{
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

} // namespace platform
