#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM, SIGINT and SIGHUP into a queued Qt signal on the GUI thread
// (the self-pipe pattern: the handler only writes a byte). A second signal
// ends the process at once, for a program that no longer answers.
class TerminationSignalHandler : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignalHandler(QObject* parent = nullptr);
    ~TerminationSignalHandler() override;

    TerminationSignalHandler(const TerminationSignalHandler&) = delete;
    TerminationSignalHandler& operator=(const TerminationSignalHandler&) = delete;

    // False when the pipe or the handlers could not be set up.
    bool isActive() const;

signals:
    void terminationRequested(int signalNumber);

private:
    void readSignal();

    QSocketNotifier* m_pNotifier = nullptr;
};
