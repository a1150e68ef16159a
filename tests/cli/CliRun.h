#pragma once

#include <QByteArray>
#include <QProcess>
#include <QStringList>

// One run of tarvo-cli (TARVO_CLI, set by the build) as a script sees it.
struct CliRun
{
    // -1 when the program did not end by itself within the wait.
    int exitCode;
    QByteArray out;
    QByteArray err;
};

// Waits up to timeoutMs for a started run to end.
inline CliRun finishCli(QProcess& process, int timeoutMs)
{
    const bool finished = process.waitForFinished(timeoutMs);
    return {finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

// Done; or done and told, with exit status 1, that the test server had xruns
// while a dump arrived in pieces, which this machine's load may cause at any
// time (what arrived is still checked by the caller).
inline bool receivedAll(const CliRun& run)
{
    return run.exitCode == 0 || (run.exitCode == 1 && run.err.contains("xrun"));
}

inline CliRun runCli(const QStringList& arguments, int timeoutMs)
{
    QProcess process;
    process.start(QStringLiteral(TARVO_CLI), arguments);
    return finishCli(process, timeoutMs);
}
