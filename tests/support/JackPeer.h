#ifndef JACKPEER_H
#define JACKPEER_H

#include <QByteArray>
#include <QList>
#include <QString>

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

// A JACK client of the test's own with one MIDI output port "out" (a source
// for the program under test) and one MIDI input port "in" (a destination).
// Messages given to send() are written in order from the JACK process
// callback, several per cycle within what every JACK implementation delivers;
// every message read from "in" is kept with the steady-clock time of the
// cycle that read it and its own frame.
class JackPeer
{
public:
    struct Event
    {
        QByteArray bytes;
        std::chrono::steady_clock::time_point time;
        // JACK's frame count at the event.
        std::uint32_t frame;
    };

    // Opens and activates the client on the server of JACK_DEFAULT_SERVER.
    explicit JackPeer(const QString& clientName);
    ~JackPeer();

    JackPeer(const JackPeer&) = delete;
    JackPeer& operator=(const JackPeer&) = delete;

    bool isOpen() const;
    // Somebody listens to "out".
    bool isHeard() const;
    // Full JACK names of the two ports.
    QString outputPortName() const;
    QString inputPortName() const;

    void send(const QByteArray& message);
    QList<Event> received() const;
    // The bytes of every message received so far, joined.
    QByteArray receivedBytes() const;

private:
    static int process(unsigned int frames, void* peer);

    jack_client_t* m_pClient;
    jack_port_t* m_pOutput;
    jack_port_t* m_pInput;
    mutable std::mutex m_mutex;
    std::deque<QByteArray> m_pending;
    QList<Event> m_received;
};

#endif // JACKPEER_H
