#pragma once

#include "VirtualMidiPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QByteArray>

#include <functional>

// What the monitor benchmarks share: a steady stream into a virtual source
// while the GUI thread runs, and the figures they measure it by.

// Resident set size in KiB, from /proc; -1 when unknown.
long residentKiB();

// Times every timer event that the watched object (the monitor feed, whose
// timer is the poll timer) handles.
class TimingApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override;
    void startTiming(QObject* watched);

    qint64 m_longestTick = 0;
    qint64 m_longestTickInterval = 0;
    qint64 m_totalTicks = 0;
    int m_ticks = 0;

private:
    QObject* m_pWatched = nullptr;
    QElapsedTimer m_clock;
    qint64 m_lastTick = -1;
};

struct StreamFeed
{
    int seconds;
    int messagesPerMillisecond;
    int probePeriodMs;
    int pollPeriodMs;
};

// Injects feed.messagesPerMillisecond messages each millisecond, message(n)
// for n counting on from *sent, from a thread of its own while the event loop
// runs, then lets two more polls collect the rest. Returns the GUI thread's
// longest stall in ms: the largest gap between ticks of a probe timer beyond
// its period.
double feedStream(VirtualMidiPlatform& platform, MidiPlatformIF::Ref source, const StreamFeed& feed,
                  const std::function<QByteArray(unsigned int)>& message, unsigned int* sent);
