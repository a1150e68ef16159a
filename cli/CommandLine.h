#pragma once

#include <QByteArray>
#include "midi/platform/MidiSystem.h"

#include <QString>
#include <QStringList>

#include <cstddef>

// What one run of tarvo-cli is asked to do, read from its arguments.
struct CliOptions
{
    enum class Command { Help, Version, Ports, Send, Receive, Request, Latency };

    Command command = Command::Help;
    QString to;
    QString from;
    QStringList files;
    QString hex;
    bool hasHex = false;
    // Latency: the message of --hex; empty for the default probe.
    QByteArray probe;
    int intervalMs = 0;
    // 0 keeps the port's piece size.
    std::size_t chunk = 0;
    unsigned int rate = 0;
    // 0: no limit.
    int count = 0;
    // Negative: none.
    double timeoutSeconds = -1.0;
    bool sysexOnly = false;
    bool timestamp = false;
    QString out;
    std::size_t maxSystemExclusive = 0;
    MidiSystem system = MidiSystem::Automatic;

    // Dumps and messages from files or --hex; latency sends probes of its own.
    bool sends() const { return command == Command::Send || command == Command::Request; }
    bool receives() const { return command == Command::Receive || command == Command::Request; }
    // A send of one Standard MIDI File, played at its times.
    bool playsMidiFile() const;
};

// Reads arguments (the program name first) into options; false with the
// reason in error when they do not make a valid command.
bool parseCommandLine(const QStringList& arguments, CliOptions* options, QString* error);
