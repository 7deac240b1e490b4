#pragma once
// A QApplication for the whole test program and, per test, an install folder as the program
// finds it at start: the real skin, a version file and a runtime folder of its own.

#include "CPaintManagerUI.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>
#include <filesystem>
#include <memory>

class InstallFolderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        static int argc = 1;
        static char name[] = "orvelle-test";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr)
            s_app = std::make_unique<QApplication>(argc, argv);
    }
    static void TearDownTestSuite() { s_app.reset(); }

    void SetUp() override
    {
        namespace fs = std::filesystem;
        fs::copy(fs::path(ORVELLE_SOURCE_DIR) / "res/ImgRes", dir.path() / "ImgRes", fs::copy_options::recursive);
        WriteWholeFile(dir.file("SetupVersion.txt"), "3.4.5\n");
        CPaintManagerUI::SetResourcePath(CDuiString((dir.path() / "ImgRes").string()));
        fs::create_directories(dir.path() / "rt");
        setenv("XDG_RUNTIME_DIR", (dir.path() / "rt").c_str(), 1);
    }

    TempDir dir;

private:
    static inline std::unique_ptr<QApplication> s_app;
};
