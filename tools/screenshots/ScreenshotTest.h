#pragma once

#include "support/ui/UiTest.h"

#include <QCoreApplication>
#include <QWidget>

#include <filesystem>

namespace threadhop::testing {

/// Renders windows into PNG files in <build>/screenshots/ for a reviewer to look at.
class ScreenshotTest : public HomeTest {
protected:
    void SetUp() override { std::filesystem::create_directories(THREADHOP_SCREENSHOT_DIR); }

    static void save(QWidget& widget, const char* name)
    {
        QCoreApplication::processEvents();
        const auto path = std::filesystem::path(THREADHOP_SCREENSHOT_DIR) / name;
        ASSERT_TRUE(widget.grab().save(QString::fromStdString(path.string()))) << path;
    }
};

} // namespace threadhop::testing
