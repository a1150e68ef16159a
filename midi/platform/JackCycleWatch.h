#ifndef JACKCYCLEWATCH_H
#define JACKCYCLEWATCH_H

typedef struct _jack_client jack_client_t;

// Watches the process cycles of the JACK server through an inactive client of
// its own. A connection made through RtMidi takes effect at the start of a
// later cycle; MIDI that a port writes in the cycle under way is lost. Waiting
// for two cycle starts after connecting makes the connection safe to use.
class JackCycleWatch
{
public:
    JackCycleWatch();
    ~JackCycleWatch();

    JackCycleWatch(const JackCycleWatch&) = delete;
    JackCycleWatch& operator=(const JackCycleWatch&) = delete;

    // Returns after count cycles have started, or after timeoutMs when the
    // server is stalled or gone.
    void waitForCycles(int count, int timeoutMs) const;

private:
    jack_client_t* m_pClient;
};

#endif // JACKCYCLEWATCH_H
