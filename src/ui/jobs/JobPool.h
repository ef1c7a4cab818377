#pragma once

class QObject;
class QThreadPool;

// The thread pools that background jobs run on. Never Qt's global pool: Qt's own drawing hands
// large fills to it and waits for them, so a job on each of its threads (one thread on a one-CPU
// machine) would hold up the window until the job ended.
namespace threadhop::JobPool {

/// The pool of every job that names no other. It belongs to the application object, so quitting
/// waits for the jobs still running, as it waits for Qt's global pool: a migration is never cut off
/// half-way. Needs the application object.
QThreadPool& shared();

/// A new pool of at least two threads, so that one long job never keeps the next one waiting, even
/// on one CPU.
QThreadPool* make(QObject* parent);

} // namespace threadhop::JobPool
