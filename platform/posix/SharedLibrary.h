#pragma once
// A library loaded at run time (the plug-ins beside the program). Missing files and missing
// entry points are normal: Open and Symbol say so by their result, never abort.

#include <string>

namespace platform {

class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Tries each path in turn; true once one is loaded. The loader's last complaint goes to Error.
    bool Open(const std::string& path);
    bool IsOpen() const { return m_handle != nullptr; }
    // Null when the library is not open or lacks the entry point.
    void* Symbol(const char* name) const;
    // Keeps the open library in memory until the process ends, even after every handle to it is
    // closed: for a library whose windows or callbacks may outlive its owners.
    void StayLoaded();
    void Close();
    const std::string& Error() const { return m_error; }

private:
    void* m_handle = nullptr;
    std::string m_path;
    std::string m_error;
};

// The folder of the running executable ("" when it cannot be read).
std::string ExecutableFolder();

} // namespace platform
