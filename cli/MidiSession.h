#pragma once

#include "midi/MidiClient.h"

#include <QString>
#include <QStringList>

#include <memory>

class MidiInputPort;
class MidiOutputPort;

// The program's MIDI client with the ports a command needs, made on first
// use. Ports are opened by the name a script gives (see PortMatcher).
class MidiSession
{
public:
    MidiSession();
    ~MidiSession();

    MidiSession(const MidiSession&) = delete;
    MidiSession& operator=(const MidiSession&) = delete;

    // Gives a platform that is still looking for its service one more try.
    bool serviceAvailable();

    MidiInputPort& inputPort();
    MidiOutputPort& outputPort();
    QStringList sourceNames();
    QStringList destinationNames();

    // False with the reason when no source or destination fits the name or it cannot be opened.
    bool openSource(const QString& wanted, QString* error);
    bool openDestination(const QString& wanted, QString* error);

    // About once a second: lets the platform finish connections it could not
    // make at once and follow ports that go and come back.
    void refresh();
    bool waitUntilSent(int timeoutMilliseconds);

private:
    // The name from names that fits wanted; empty with the reason when none does.
    static QString pick(const QStringList& names, const QString& wanted, const char* kind, QString* error);

    // Declared first, so that it goes after the ports.
    MidiClient m_client;
    std::unique_ptr<MidiInputPort> m_pInputPort;
    std::unique_ptr<MidiOutputPort> m_pOutputPort;
};
