#include "ui/sheets/SheetFooterPresenter.h"
#include "theme/PlatformWords.h"

#include "support/ui/QtPrinters.h"

#include <gtest/gtest.h>

namespace threadhop {
namespace {

using namespace Qt::StringLiterals;
using Buttons = SheetFooterPresenter::Buttons;

TEST(SheetFooterPresenterTest, ButtonsByStage)
{
    const std::tuple<SheetStage, bool, Buttons> cases[]{
        {SheetStage::idle, false, {.cancel = true, .primary = true}},
        {SheetStage::idle, true, {.cancel = true, .primary = true}},
        {SheetStage::running, true, {}},
        {SheetStage::finished, false, {.close = true}},
        {SheetStage::finished, true, {.reveal = true, .close = true}},
    };
    for (const auto& [stage, hasBackup, expected] : cases)
        EXPECT_EQ(SheetFooterPresenter::buttons(stage, hasBackup), expected) << static_cast<int>(stage) << hasBackup;
}

#ifndef __APPLE__
TEST(PlatformWordsTest, MacNamesBecomeThisPlatformsWordsAndNothingElseChanges)
{
    const std::pair<QString, QString> cases[]{
        {u"Finder"_s, u"Open Folder"_s},
        {u"Show backup in Finder"_s, u"Show backup in folder"_s},
        {u"started in a directory macOS creates to throw away"_s,
            u"started in a directory the system creates to throw away"_s},
        {u"on this Mac only"_s, u"on this computer only"_s},
        {u"Migrate conversations"_s, u"Migrate conversations"_s},
    };
    for (const auto& [mac, here] : cases)
        EXPECT_EQ(PlatformWords::say(mac), here);
}
#endif

} // namespace
} // namespace threadhop
