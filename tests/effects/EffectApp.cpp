// The test program's one QApplication on the default offscreen screen (800 x 800).

#include "CPaintManagerUI.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <memory>

namespace {

// One application for the whole program, gone before the libraries' statics.
class EffectAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "test_effects";
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

[[maybe_unused]] ::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new EffectAppEnvironment);

} // namespace
