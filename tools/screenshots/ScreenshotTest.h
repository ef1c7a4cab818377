#pragma once

#include "app/ThreadhopApp.h"
#include "support/ui/UiTest.h"
#include "ui/window/RootView.h"

#include <QCoreApplication>
#include <QWidget>

#include <filesystem>

namespace threadhop::testing {

/// Renders windows into PNG files in <build>/screenshots/ for a reviewer to look at.
class ScreenshotTest : public HomeTest {
protected:
    void SetUp() override { std::filesystem::create_directories(THREADHOP_SCREENSHOT_DIR); }

    /// Starts `app` with its main window at the size the screenshots show, after its first scan.
    static void startScanned(ThreadhopApp& app)
    {
        app.mainWindow().resize(1180, 720);
        app.start();
        ASSERT_TRUE(waitUntil([&] { return !app.environment().isScanning(); }));
    }

    static void save(QWidget& widget, const char* name)
    {
        QCoreApplication::processEvents();
        const auto path = std::filesystem::path(THREADHOP_SCREENSHOT_DIR) / name;
        ASSERT_TRUE(widget.grab().save(QString::fromStdString(path.string()))) << path;
    }
};

} // namespace threadhop::testing
