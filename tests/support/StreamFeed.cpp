#include "StreamFeed.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').first().toLong();
        }
    }
    return -1;
}

bool TimingApplication::notify(QObject* receiver, QEvent* event)
{
    if (event->type() != QEvent::Timer || receiver != m_pWatched) {
        return QApplication::notify(receiver, event);
    }
    QElapsedTimer handling;
    handling.start();
    const bool result = QApplication::notify(receiver, event);
    const qint64 spent = handling.nsecsElapsed();
    const qint64 now = m_clock.nsecsElapsed();
    if (m_lastTick >= 0) {
        m_longestTickInterval = qMax(m_longestTickInterval, now - m_lastTick);
    }
    m_lastTick = now;
    m_longestTick = qMax(m_longestTick, spent);
    m_totalTicks += spent;
    ++m_ticks;
    return result;
}

void TimingApplication::startTiming(QObject* watched)
{
    m_pWatched = watched;
    m_clock.start();
    m_lastTick = -1;
    m_longestTick = m_longestTickInterval = m_totalTicks = 0;
    m_ticks = 0;
}

double feedStream(VirtualMidiPlatform& platform, MidiPlatformIF::Ref source, const StreamFeed& feed,
                  const std::function<QByteArray(unsigned int)>& message, unsigned int* sent)
{
    QElapsedTimer probeClock;
    qint64 lastProbe = -1;
    qint64 longestProbeGap = 0;
    QTimer probe;
    probe.setTimerType(Qt::PreciseTimer);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        const qint64 now = probeClock.nsecsElapsed();
        if (lastProbe >= 0) {
            longestProbeGap = qMax(longestProbeGap, now - lastProbe);
        }
        lastProbe = now;
    });

    std::atomic<bool> producing{true};
    std::thread producer([&] {
        QList<QByteArray> packets;
        auto next = std::chrono::steady_clock::now();
        for (int ms = 0; ms < feed.seconds * 1000; ++ms) {
            packets.clear();
            for (int i = 0; i < feed.messagesPerMillisecond; ++i) {
                packets << message((*sent)++);
            }
            platform.injectPackets(source, packets);
            next += std::chrono::milliseconds(1);
            std::this_thread::sleep_until(next);
        }
        producing = false;
    });

    probeClock.start();
    probe.start(feed.probePeriodMs);
    QEventLoop loop;
    QTimer watchProducer;
    QObject::connect(&watchProducer, &QTimer::timeout, [&] {
        if (!producing) {
            loop.quit();
        }
    });
    watchProducer.start(feed.pollPeriodMs / 2);
    loop.exec();
    producer.join();
    platform.waitUntilDelivered();
    // Two more polls collect what is still in the engine.
    QTimer::singleShot(2 * feed.pollPeriodMs + 50, &loop, &QEventLoop::quit);
    loop.exec();
    probe.stop();
    return double(longestProbeGap) / 1e6 - feed.probePeriodMs;
}
