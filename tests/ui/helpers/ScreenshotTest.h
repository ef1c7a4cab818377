#pragma once

#include "UiTest.h"

#include <QCoreApplication>
#include <QWidget>

#include <filesystem>

namespace threadhop::testing {

/// Renders windows into PNG files in <build>/screenshots/ for a reviewer to look at. Runs only when
/// THREADHOP_SCREENSHOTS=1.
class ScreenshotTest : public HomeTest {
protected:
    void SetUp() override
    {
        if (qEnvironmentVariable("THREADHOP_SCREENSHOTS") != QStringLiteral("1"))
            GTEST_SKIP() << "set THREADHOP_SCREENSHOTS=1 to render the screenshots";
        std::filesystem::create_directories(THREADHOP_SCREENSHOT_DIR);
    }

    static void save(QWidget& widget, const char* name)
    {
        QCoreApplication::processEvents();
        const auto path = std::filesystem::path(THREADHOP_SCREENSHOT_DIR) / name;
        ASSERT_TRUE(widget.grab().save(QString::fromStdString(path.string()))) << path;
    }
};

} // namespace threadhop::testing
