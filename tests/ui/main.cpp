// The interface tests run inside one QApplication on the platform the environment names (ctest
// sets the offscreen one). Warnings of the item-model tester fail the running test.
#include "app/ThreadhopApp.h"

#include <QApplication>

#include <gtest/gtest.h>

namespace {

QtMessageHandler defaultHandler = nullptr;

void failOnModelWarnings(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtDebugMsg && type != QtInfoMsg && context.category && qstrcmp(context.category, "qt.modeltest") == 0)
        ADD_FAILURE() << "item model tester: " << message.toStdString();
    defaultHandler(type, context, message);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    threadhop::ThreadhopApp::configure(application);
    defaultHandler = qInstallMessageHandler(failOnModelWarnings);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
