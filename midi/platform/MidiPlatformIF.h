#ifndef MIDIPLATFORMIF_H
#define MIDIPLATFORMIF_H

#include <QString>

#include <cstddef>
#include <cstdint>

// One received MIDI message as the platform hands it over. The length is not
// limited to 16 bits: the platform may deliver messages of any size. The time
// is when it arrived, in microseconds of the monotonic clock (see
// SteadyClock.h), taken from the platform's own time of the event where it
// has one.
struct MidiPacket
{
    const unsigned char* data;
    std::size_t length;
    std::int64_t microseconds;
};

// The packets of one delivery, in arrival order.
struct MidiPacketList
{
    const MidiPacket* packets;
    std::size_t count;
};

// A timing clock message (or Start, Stop) the platform sent of its own, and when.
struct ClockEvent
{
    std::int64_t microseconds;
    unsigned char status;
};

enum class MidiEndpointKind
{
    Source,
    Destination
};

// The platform MIDI service as the device layer sees it: a client, one input
// port and one output port, the platform's sources and destinations with
// their display names and unique ids, connecting a source and sending one
// message. Every operation that can fail reports it by its result; none
// throws. Implementations are used from several threads and serialise
// themselves.
class MidiPlatformIF
{
public:
    // Reference to a client, port or endpoint. NoRef is never a valid object.
    using Ref = std::uint32_t;
    static constexpr Ref NoRef = 0;

    // Called on the platform's own MIDI thread with every delivery of a
    // connected source. readRefCon is the value given when the input port was
    // created, connRefCon the one given when the source was connected.
    using ReadProc = void (*)(const MidiPacketList& packets, void* readRefCon, void* connRefCon);

    virtual ~MidiPlatformIF() = default;

    // The MIDI system the platform speaks, as the user knows it ("JACK").
    virtual const char* systemName() const = 0;

    virtual bool createClient(const QString& name, Ref* client) = 0;
    virtual void disposeClient(Ref client) = 0;

    virtual bool createInputPort(Ref client, const QString& name, ReadProc readProc, void* readRefCon, Ref* port) = 0;
    virtual bool createOutputPort(Ref client, const QString& name, Ref* port) = 0;
    virtual void disposePort(Ref port) = 0;

    // Endpoints are counted and taken by index from 0; the list may change
    // between calls. endpoint() returns NoRef for an index beyond the count.
    virtual unsigned int endpointCount(MidiEndpointKind kind) = 0;
    virtual Ref endpoint(MidiEndpointKind kind, unsigned int index) = 0;
    virtual bool endpointName(Ref endpoint, QString* name) = 0;
    // The id is stable while the endpoint exists and never 0x7FFFFFFF.
    virtual bool endpointUniqueId(Ref endpoint, std::int32_t* id) = 0;

    virtual bool connectSource(Ref inputPort, Ref source, void* connRefCon) = 0;
    // Ports of the program's own that other programs connect to. The input
    // port takes the name and delivers, with connRefCon, what others send to
    // it; *source then stands for it, and disconnectSource ends it. Sends to
    // the output port's *destination reach everything connected to it;
    // closeVirtualOutput ends it. False where the platform has none.
    virtual bool openVirtualInput(Ref inputPort, const QString& name, void* connRefCon, Ref* source)
    {
        (void)inputPort, (void)name, (void)connRefCon, (void)source;
        return false;
    }
    virtual bool openVirtualOutput(Ref outputPort, const QString& name, Ref* destination)
    {
        (void)outputPort, (void)name, (void)destination;
        return false;
    }
    virtual void closeVirtualOutput(Ref outputPort) { (void)outputPort; }
    virtual bool disconnectSource(Ref inputPort, Ref source) = 0;

    // Sends one message, or a piece of one, unchanged, to the destination at
    // once. May wait a little for room; fails when there is none.
    virtual bool send(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size) = 0;
    // The same, placed at its due time: microseconds of the monotonic clock
    // (std::chrono::steady_clock), given ahead of it. A platform that cannot
    // schedule sends at once.
    virtual bool sendAt(Ref outputPort, Ref destination, const unsigned char* data, std::size_t size,
                        std::int64_t dueMicroseconds)
    {
        (void)dueMicroseconds;
        return send(outputPort, destination, data, size);
    }
    // True when sendAt places messages at their due time.
    virtual bool schedulesByDueTime() const { return false; }
    // The due time for the first message of a schedule that starts now: now
    // where messages go out at once; where they go out one period after their
    // due time, the start of the current period, so that the first message
    // opens the next period instead of waiting a whole one.
    virtual std::int64_t scheduleStart(std::int64_t nowMicroseconds) { return nowMicroseconds; }
    // The destination sends will go to, prepared now so that the first send
    // is not held up; NoRef when there is none.
    virtual void selectDestination(Ref outputPort, Ref destination) { (void)outputPort, (void)destination; }
    // True when a message may be sent in several pieces, one send each.
    virtual bool carriesPartialMessages() const { return true; }
    // Whether a send of size bytes would find room at once.
    virtual bool hasRoom(Ref outputPort, std::size_t size)
    {
        (void)outputPort, (void)size;
        return true;
    }
    // The largest message or piece one send carries; a larger one is refused
    // before anything is sent. 0 for no limit.
    virtual std::size_t largestPiece() const { return 0; }
    // Messages a send took over and the platform could not deliver after all.
    virtual std::uint64_t droppedMessages() const { return 0; }
    // Bytes handed over that have not left yet.
    virtual std::uint64_t unsentBytes() const { return 0; }
    // Overruns of the platform's cycle (JACK's xruns) since the client was
    // made: what arrived or left then may be lost or cut.
    virtual std::uint64_t xrunCount() const { return 0; }

    // Timing clock that the platform makes itself at exact times of its own
    // clock (JACK: in the audio cycle, at exact frames), sent to destination
    // through the output port from the start of its next cycle. Tempo in
    // tenths of a beat per minute; a change takes effect at the next clock.
    // With startStop, Start goes before the first clock and Stop at the end.
    virtual bool generatesClock() const { return false; }
    virtual bool startClock(Ref outputPort, Ref destination, int tempo, bool startStop)
    {
        (void)outputPort, (void)destination, (void)tempo, (void)startStop;
        return false;
    }
    virtual void setClockTempo(int tempo) { (void)tempo; }
    virtual void stopClock() {}
    // Up to capacity clock messages the platform sent since the last call,
    // with their times, oldest first; from one thread at a time.
    virtual std::size_t takeSentClocks(ClockEvent* events, std::size_t capacity)
    {
        (void)events, (void)capacity;
        return 0;
    }
    // Waits until everything sent so far has left for the destinations; false
    // when it did not within the timeout.
    virtual bool waitUntilSent(int timeoutMilliseconds) { (void)timeoutMilliseconds; return true; }

    // Called about once a second on the GUI thread, so it must be cheap when
    // nothing happened. A platform whose service and endpoints can go away
    // brings back its client and ports when the service returns and
    // reconnects the connected source and the destination of the latest send
    // when endpoints of their names appear again. True when the endpoints may
    // have changed since the last call.
    virtual bool refresh() { return false; }
    // False while the platform MIDI service is gone and being waited for.
    virtual bool serviceAvailable() { return true; }
};

#endif // MIDIPLATFORMIF_H
