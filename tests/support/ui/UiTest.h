#pragma once

#include "QtPrinters.h"
#include "support/TempHome.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QObject>
#include <QPushButton>
#include <QString>
#include <QThread>

#include <functional>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace threadhop::testing {

/// Runs the event loop until `condition` holds or `timeout` passes; true when it held. Objects
/// whose deletion was asked for are deleted, as the application's event loop would.
inline bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10'000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QThread::msleep(1);
    }
    return true;
}

/// The child of `parent` named `name`. Where there is none, the exception ends the running test as
/// its failure, and only that test: the callers go on to use what they asked for.
template <typename T>
T* child(const QObject& parent, const QString& name)
{
    T* found = parent.findChild<T*>(name);
    if (!found)
        throw std::runtime_error(std::string("no ") + T::staticMetaObject.className() + " named " + name.toStdString());
    return found;
}

inline QPushButton& button(const QObject& parent, const QString& name)
{
    return *child<QPushButton>(parent, name);
}

/// Whether `parent` holds a widget named `name`, shown or not.
inline bool has(const QObject& parent, const QString& name)
{
    return parent.findChild<QWidget*>(name) != nullptr;
}

inline bool shows(const QObject& parent, const QString& name)
{
    const QWidget* widget = parent.findChild<QWidget*>(name);
    return widget && widget->isVisible();
}

} // namespace threadhop::testing
