#include "ui/window/WindowPlacement.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

constexpr QSize ideal{1180, 720};
constexpr QSize minimum{900, 560};

TEST(WindowPlacementTest, TheFirstFrameFitsTheScreen)
{
    const std::pair<QRect, QRect> cases[]{
        {QRect(0, 0, 2560, 1400), QRect(690, 340, 1180, 720)},
        // 1920 × 1080 at a display scale of 1.5, below a 32-pixel panel: Rescan and the status bar stay on it.
        {QRect(0, 32, 1280, 688), QRect(50, 32, 1180, 688)},
        // Smaller than the window's limits: the limits win.
        {QRect(0, 0, 800, 500), QRect(-50, -30, 900, 560)},
    };
    for (const auto& [available, expected] : cases)
        EXPECT_EQ(WindowPlacement::first(ideal, minimum, available), expected);
}

TEST(WindowPlacementTest, ARememberedFrameStaysWhereItWasUnlessNoScreenShowsIt)
{
    const QRect left(0, 0, 1920, 1050);
    const QRect right(1920, 0, 1280, 990);
    const QList<QRect> screens{left, right};
    const std::pair<QRect, QRect> cases[]{
        {QRect(100, 80, 1000, 650), QRect(100, 80, 1000, 650)},
        {QRect(2000, 40, 1000, 650), QRect(2000, 40, 1000, 650)},
        {QRect(100, 80, 400, 300), QRect(100, 80, 900, 560)},
        {QRect(2000, 40, 1800, 1200), QRect(2000, 40, 1280, 990)},
        {QRect(1850, 40, 1000, 650), QRect(1850, 40, 1000, 650)},
        {QRect(5000, 40, 1000, 650), QRect(460, 200, 1000, 650)},
        {QRect(1880, 1020, 1000, 650), QRect(460, 200, 1000, 650)},
    };
    for (const auto& [saved, expected] : cases)
        EXPECT_EQ(WindowPlacement::restored(saved, minimum, screens, left), expected);
}

TEST(WindowPlacementTest, ColumnWidthsKeepTheirLimits)
{
    const std::pair<WindowPlacement::Columns, WindowPlacement::Columns> cases[]{
        {{270, 380}, {270, 380}},
        {{100, 100}, {220, 300}},
        {{900, 2000}, {360, 2000}},
        {{0, -5}, {220, 300}},
    };
    for (const auto& [saved, expected] : cases)
        EXPECT_EQ(WindowPlacement::columns(saved), expected);
    EXPECT_EQ(WindowPlacement::centred(QSize(560, 620), QRect(100, 50, 1180, 720)), QPoint(410, 100));
}

} // namespace
} // namespace threadhop
