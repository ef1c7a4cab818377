#include "ThreadhopApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    threadhop::ThreadhopApp::configure(application);
    threadhop::ThreadhopApp app;
    app.start();
    return QApplication::exec();
}
