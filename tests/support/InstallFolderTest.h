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
#include <string>
#include <utility>
#include <vector>

class InstallFolderTest : public ::testing::Test {
protected:
    // Each language the program speaks: a locale that asks for it, and its file.
    static inline const std::vector<std::pair<std::string, std::string>> kLanguages = {
        {"en_US.UTF-8", "english.ini"}, {"ar_SA.UTF-8", "Arabic.ini"}, {"fr_FR.UTF-8", "French.ini"},
        {"de_DE.UTF-8", "German.ini"}, {"id_ID.UTF-8", "Indonesian.ini"}, {"it_IT.UTF-8", "Italian.ini"},
        {"ja_JP.UTF-8", "Japanese.ini"}, {"ko_KR.UTF-8", "Korean.ini"}, {"ms_MY.UTF-8", "Malaysian.ini"},
        {"pl_PL.UTF-8", "Polish.ini"}, {"pt_PT.UTF-8", "Portuguese.ini"}, {"ru_RU.UTF-8", "Russian.ini"},
        {"es_ES.UTF-8", "Spanish.ini"}, {"th_TH.UTF-8", "Thai.ini"}, {"vi_VN.UTF-8", "Vietnamese.ini"},
        {"zh_CN.UTF-8", "simplified_chinese.ini"}, {"zh_TW.UTF-8", "traditional_chinese.ini"}};

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
