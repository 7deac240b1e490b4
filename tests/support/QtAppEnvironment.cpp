#include "QtAppEnvironment.h"

#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>
#include <memory>

#include "CPaintManagerUI.h"
#include "TempDir.h"

namespace {

class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "orvelle_ui_test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override
    {
        CPaintManagerUI::ClearImageCache();
        m_app.reset();
    }

private:
    std::unique_ptr<QApplication> m_app;
};

// gtest owns and deletes the environment.
[[maybe_unused]] ::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

} // namespace

SkinFolder::SkinFolder()
{
    CPaintManagerUI::ClearImageCache();
    CPaintManagerUI::SetResourcePath(m_dir.path().string().c_str());
}

SkinFolder::~SkinFolder() { CPaintManagerUI::ClearImageCache(); }

void SkinFolder::Write(const std::string& relative, const std::string& content) const
{
    const std::filesystem::path file = m_dir.path() / relative;
    std::filesystem::create_directories(file.parent_path());
    WriteWholeFile(file.string(), content);
}

void SkinFolder::WritePicture(const std::string& relative, int w, int h, unsigned int argb) const
{
    const std::filesystem::path file = m_dir.path() / relative;
    std::filesystem::create_directories(file.parent_path());
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(QColor::fromRgba(argb));
    ASSERT_TRUE(image.save(QString::fromStdString(file.string()), "PNG"));
}
