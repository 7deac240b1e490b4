#pragma once
// One QApplication for the whole test program (offscreen platform, set by the test runner),
// and a temporary resource folder that tests fill with skins and pictures.

#include <filesystem>
#include <string>

#include "TempDir.h"

class SkinFolder {
public:
    SkinFolder();
    ~SkinFolder();
    // Writes a file under the folder, creating its sub-folders.
    void Write(const std::string& relative, const std::string& content) const;
    // A solid picture of that colour.
    void WritePicture(const std::string& relative, int w, int h, unsigned int argb) const;
    const std::filesystem::path& path() const { return m_dir.path(); }

private:
    TempDir m_dir;
};
