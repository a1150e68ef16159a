#ifndef JACKECHO_H
#define JACKECHO_H

#include <QString>

#include <atomic>

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

// A JACK client that echoes, as a device in MIDI Thru mode or a loopback
// cable would: every event arriving at its port "in" leaves its port "out"
// in the same cycle at the same frame, so a round trip through it takes only
// what the other side adds.
class JackEcho
{
public:
    // Opens and activates the client on the server of JACK_DEFAULT_SERVER.
    explicit JackEcho(const QString& clientName);
    ~JackEcho();

    JackEcho(const JackEcho&) = delete;
    JackEcho& operator=(const JackEcho&) = delete;

    bool isOpen() const;
    // Full JACK names of the two ports.
    QString inputPortName() const;
    QString outputPortName() const;
    // Events echoed so far, and those that did not fit the cycle.
    unsigned long echoed() const { return m_echoed; }
    unsigned long dropped() const { return m_dropped; }

private:
    static int process(unsigned int frames, void* echo);

    jack_client_t* m_pClient;
    jack_port_t* m_pInput;
    jack_port_t* m_pOutput;
    std::atomic<unsigned long> m_echoed;
    std::atomic<unsigned long> m_dropped;
};

#endif // JACKECHO_H
