#pragma once

#include "engine/MonitorSinkIF.h"
#include "services/LatencyStatistics.h"
#include "services/MidiPlayer.h"
#include "services/MidiPlayerListenerIF.h"

#include <QByteArray>
#include <QMutex>
#include <QObject>
#include <QTimer>
#include <QVector>

class MidiSenderIF;

// Measures MIDI round trips: sends a probe a number of times at an interval
// through a sender and times the echo of each in the received records it is
// given (sign it up with a monitor source). A probe is the message given, or
// by default a Note On of middle C whose velocity counts the probes round
// (1 to 127), followed by its Note Off, so that echoes are told apart. Its
// send time is the due time the sender was given, its arrival the record's
// time, both from the platform's event times. Each echo is taken by the
// oldest probe of its bytes still waiting; a probe whose echo is not back
// within timeout() is lost.
class LatencyProbe : public QObject, public MonitorSinkIF, private MidiPlayerListenerIF
{
    Q_OBJECT

public:
    static constexpr int DefaultCount = 100;
    static constexpr int DefaultIntervalMilliseconds = 20;

    // Whether message can be a probe: one whole MIDI message other than
    // Active Sensing, which devices send on their own. False with the reason.
    static bool isProbe(const QByteArray& message, QString* error);
    // In microseconds: a second, or ten intervals when that is longer.
    static qint64 timeout(int intervalMilliseconds);

    explicit LatencyProbe(MidiSenderIF* sender, QObject* parent = nullptr);

    // probe empty: the default Note On and Note Off. False while running.
    bool start(const QByteArray& probe, int count, int intervalMilliseconds);
    // Ends sending; probes whose echo is still awaited are left out.
    void stop();
    bool isRunning() const { return m_running; }

    void takeRecords(const MidiRecords& records) override;

    int count() const { return m_state.size(); }
    int answered() const { return m_roundTrips.size(); }
    int lost() const { return m_lost; }
    // Sends that failed.
    quint64 failureCount() const { return m_player.failureCount(); }
    LatencyStatistics statistics() const { return LatencyStatistics(m_roundTrips, m_lost); }

signals:
    // An echo came back or a probe was lost.
    void progressed();
    void finished();

private:
    enum class State : char { Waiting, Back, Lost, NotSent };

    void aboutToSend(int index, qint64 due) override;
    void sendFailed(int index) override;
    QByteArray expected(int probe) const;
    void checkTimeouts();
    void sendingFinished(bool reachedEnd);
    void finishWhenDone();

    QTimer m_timeoutTimer;
    QByteArray m_probe;
    int m_messagesPerProbe;
    qint64 m_timeout;
    // Written on the player's thread: each probe's due time once it is about
    // to go, -1 before; whether its send failed.
    QMutex m_mutex;
    QVector<qint64> m_due;
    QVector<bool> m_failed;
    // On the thread the probe lives on.
    QVector<State> m_state;
    // Probes before it are done with.
    int m_firstOpen;
    QVector<qint64> m_roundTrips;
    int m_lost;
    bool m_running;
    bool m_sendingEnded;
    // Last, so that it goes first: its thread tells this probe until it ends.
    MidiPlayer m_player;
};
