#pragma once

#include "engine/MidiEngine.h"

#include <QString>
#include <QStringList>

// The program's MIDI engine, with ports opened by the name a script gives
// (see PortMatcher).
class MidiSession
{
public:
    explicit MidiSession(MidiSystem system);
    ~MidiSession();

    MidiSession(const MidiSession&) = delete;
    MidiSession& operator=(const MidiSession&) = delete;

    // Gives a platform that is still looking for its service one more try;
    // false with the reason, naming the system, when there is none.
    bool serviceAvailable(QString* problem);

    MidiEngine& engine() { return m_engine; }
    QStringList sourceNames();
    QStringList destinationNames();

    // False with the reason when no source or destination fits the name or it cannot be opened.
    bool openSource(const QString& wanted, QString* error);
    bool openDestination(const QString& wanted, QString* error);

    // About once a second: lets the platform finish connections it could not
    // make at once and follow ports that go and come back.
    void refresh() { m_engine.refresh(); }
    bool waitUntilSent(int timeoutMilliseconds) { return m_engine.waitUntilSent(timeoutMilliseconds); }

private:
    // The name from names that fits wanted; empty with the reason when none does.
    static QString pick(const QStringList& names, const QString& wanted, const char* kind, QString* error);

    MidiEngine m_engine;
};
