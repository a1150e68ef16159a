// What one JACK cycle carries, and how the JACK implementation in use behaves
// where implementations differ. Starts a JACK server of its own of the kind
// TARVO_TEST_JACK names (jackd by default; "pipewire" under pw-jack) and:
// - for each period (set with jack_set_buffer_size; the one in force and the
//   cycles a second are printed) and event size, has a writer put as many
//   MIDI events as its port takes into one cycle and counts what a connected
//   reader receives, then finds by bisection the most events of that size in
//   one cycle that arrive whole;
// - prints how single messages arrive;
// - checks that the cap of JackCycleLimits.h arrives whole at every period;
// - opens two clients of the same name and prints the names they get, what
//   jack_port_is_mine, jack_port_uuid and jack_client_get_uuid say of a
//   client's own port, and whether another client sees a port renamed;
// - stops the server under active and inactive clients and prints which of
//   the shutdown callbacks each one saw.
#include "CycleProbe.h"
#include "JackCycleLimits.h"
#include "JackTestServer.h"

#include <QCoreApplication>

#include <jack/jack.h>
#include <jack/session.h>
#include <jack/uuid.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::uint32_t Periods[] = {64, 256, 1024};
const std::size_t EventSizes[] = {1, 3, 64, 256, 1024};
const std::chrono::seconds ShutdownWait(3);
const std::chrono::milliseconds Poll(10);
const char* const TwinName = "twin";
const char* const OwnPort = "own";
const char* const RenamedPort = "renamed";
const std::chrono::milliseconds RenameWait(500);
const std::vector<std::vector<unsigned char>> EchoMessages = {
    {0x90, 0x3C, 0x00}, {0x90, 0x3C, 0x40}, {0x80, 0x3C, 0x00}, {0xFE}, {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7},
    // Not MIDI: a running-status pair and a lone data byte.
    {0x3C, 0x40}, {0x40},
};

struct Whole
{
    std::size_t events;
    std::size_t bytes;
};

// The largest count not above trial.written that arrives whole, given that
// more than a count that fails never arrives whole either.
std::size_t largestWhole(CycleProbe& probe, std::size_t eventSize, const CycleProbe::Trial& full)
{
    if (full.whole())
        return full.written;
    std::size_t whole = 0;
    std::size_t broken = full.written;
    while (broken - whole > 1) {
        const std::size_t middle = whole + (broken - whole) / 2;
        CycleProbe::Trial trial;
        if (!probe.run(middle, eventSize, &trial))
            return 0;
        (trial.whole() ? whole : broken) = middle;
    }
    return whole;
}

bool measureCycles(CycleProbe& probe, std::uint32_t sampleRate, std::map<std::size_t, Whole>* leastWhole)
{
    std::printf("%7s %6s %8s %8s %9s %9s %9s %9s %8s %9s\n", "period", "event", "buffer", "written", "written",
                "received", "intact", "max in 1", "whole", "whole");
    std::printf("%7s %6s %8s %8s %9s %9s %9s %9s %8s %9s\n", "frames", "bytes", "bytes", "events", "bytes", "events",
                "events", "cycle", "events", "bytes");
    for (std::uint32_t period : Periods) {
        const std::uint32_t inForce = probe.setPeriod(period);
        std::printf("asked for a period of %u frames, got %u; %.0f cycles a second at %u Hz\n", period, inForce,
                    probe.cyclesPerSecond(), sampleRate);
        for (std::size_t size : EventSizes) {
            CycleProbe::Trial full;
            if (!probe.run(CycleProbe::AsManyAsFit, size, &full)) {
                std::printf("the writer's or the reader's cycle did not come\n");
                return false;
            }
            const std::size_t whole = largestWhole(probe, size, full);
            std::printf("%7u %6zu %8zu %8zu %9zu %9zu %9zu %9zu %8zu %9zu\n", inForce, size, full.bufferBytes,
                        full.written, full.written * size, full.received, full.intact, full.mostInOneCycle, whole,
                        whole * size);
            auto known = leastWhole->find(size);
            if (known == leastWhole->end() || whole < known->second.events)
                (*leastWhole)[size] = Whole{whole, whole * size};
        }
    }
    return true;
}

std::string hex(const std::vector<unsigned char>& bytes)
{
    std::string text;
    char digits[4];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X ", byte);
        text += digits;
    }
    return text.empty() ? "(nothing)" : text;
}

void reportEchoes(CycleProbe& probe)
{
    std::printf("\nsingle events as the reader gets them:\n");
    for (const std::vector<unsigned char>& message : EchoMessages) {
        std::vector<unsigned char> arrived;
        if (!probe.echo(message.data(), message.size(), &arrived))
            std::printf("  %-24s the cycle did not come\n", hex(message).c_str());
        else
            std::printf("  %-24s -> %s\n", hex(message).c_str(), hex(arrived).c_str());
    }
}

const char* yesNo(bool value)
{
    return value ? "yes" : "no";
}

void reportPortIdentity(jack_client_t* first, jack_client_t* second, jack_port_t* own)
{
    const std::string ownName = jack_port_name(own);
    jack_port_t* ownByName = jack_port_by_name(first, ownName.c_str());
    jack_port_t* seenBySecond = jack_port_by_name(second, ownName.c_str());
    char* clientUuid = jack_client_get_uuid(first);
    char* uuidByName = jack_get_uuid_for_client_name(second, jack_get_client_name(first));
    jack_uuid_t parsed = 0;
    const bool parses = clientUuid && jack_uuid_parse(clientUuid, &parsed) == 0;
    std::printf("the first client's port %s; both clients have a port of that short name:\n", ownName.c_str());
    std::printf("  jack_port_is_mine(first, port from jack_port_register): %d\n", jack_port_is_mine(first, own));
    std::printf("  jack_port_by_name(first, name) is that port: %s; jack_port_is_mine of it: %d\n",
                yesNo(ownByName == own), ownByName ? jack_port_is_mine(first, ownByName) : -1);
    std::printf("  jack_port_by_name(second, name): jack_port_is_mine(second, it): %d\n",
                seenBySecond ? jack_port_is_mine(second, seenBySecond) : -1);
    std::printf("  jack_port_uuid(port): %llu; of the port found by name: %llu\n",
                static_cast<unsigned long long>(jack_port_uuid(own)),
                static_cast<unsigned long long>(ownByName ? jack_port_uuid(ownByName) : 0));
    std::printf("  jack_client_get_uuid(first): %s (parses: %s)\n", clientUuid ? clientUuid : "(null)", yesNo(parses));
    std::printf("  jack_get_uuid_for_client_name(first's name), asked by the second: %s\n",
                uuidByName ? uuidByName : "(null)");
    jack_free(clientUuid);
    jack_free(uuidByName);
}

void reportRename(jack_client_t* first, jack_client_t* second, jack_port_t* own)
{
    const int result = jack_port_rename(first, own, RenamedPort);
    const std::string newName = jack_port_name(own);
    std::printf("jack_port_rename(own port, \"%s\"): %d; jack_port_name now %s\n", RenamedPort, result, newName.c_str());
    std::printf("  the first client finds it by the new name: %s\n", yesNo(jack_port_by_name(first, newName.c_str())));
    std::this_thread::sleep_for(RenameWait);
    std::printf("  the second client finds it by the new name %lld ms later: %s\n",
                static_cast<long long>(RenameWait.count()), yesNo(jack_port_by_name(second, newName.c_str())));
}

// The cap's corners: the most events, the most bytes, and both at once.
bool checkCap(CycleProbe& probe)
{
    const std::size_t sizes[] = {1, 3, JackCycleLimits::MostBytes / JackCycleLimits::MostEvents, CycleProbe::LargestEvent};
    std::printf("\nthe cap, at most %zu events and %zu bytes per cycle:\n", JackCycleLimits::MostEvents,
                JackCycleLimits::MostBytes);
    bool whole = true;
    for (std::uint32_t period : Periods) {
        const std::uint32_t inForce = probe.setPeriod(period);
        for (std::size_t size : sizes) {
            const std::size_t count = std::min(JackCycleLimits::MostEvents, JackCycleLimits::MostBytes / size);
            CycleProbe::Trial trial;
            const bool arrived = probe.run(count, size, &trial) && trial.whole();
            whole = whole && arrived;
            if (arrived)
                std::printf("  period %4u: %4zu events of %4zu bytes: whole\n", inForce, count, size);
            else
                std::printf("  period %4u: %4zu events of %4zu bytes: NOT whole (written %zu, received %zu, intact %zu)\n",
                            inForce, count, size, trial.written, trial.received, trial.intact);
        }
    }
    return whole;
}

void reportNamesAndIdentity()
{
    jack_status_t firstStatus;
    jack_status_t secondStatus;
    jack_client_t* first = jack_client_open(TwinName, JackNoStartServer, &firstStatus);
    jack_client_t* second = jack_client_open(TwinName, JackNoStartServer, &secondStatus);
    std::printf("\ntwo clients asking for the name \"%s\":\n", TwinName);
    std::printf("  first:  %s\n", first ? jack_get_client_name(first) : "(did not open)");
    std::printf("  second: %s%s\n", second ? jack_get_client_name(second) : "(did not open)",
                second && (secondStatus & JackNameNotUnique) ? " (status JackNameNotUnique)" : "");
    if (first && second) {
        jack_port_t* own = jack_port_register(first, OwnPort, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        jack_port_t* others = jack_port_register(second, OwnPort, JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        if (own && others && jack_activate(first) == 0 && jack_activate(second) == 0) {
            reportPortIdentity(first, second, own);
            reportRename(first, second, own);
        } else {
            std::printf("  the ports could not be registered or the clients activated\n");
        }
    }
    if (second)
        jack_client_close(second);
    if (first)
        jack_client_close(first);
}

struct ShutdownWatch
{
    std::string name;
    bool active;
    bool plain;
    bool info;
    jack_client_t* client = nullptr;
    std::atomic<bool> plainCalled{false};
    std::atomic<bool> infoCalled{false};
};

void reportShutdown(JackTestServer& server)
{
    std::vector<std::unique_ptr<ShutdownWatch>> watches;
    for (bool active : {true, false}) {
        for (int callbacks = 1; callbacks <= 3; ++callbacks) {
            auto watch = std::make_unique<ShutdownWatch>();
            watch->active = active;
            watch->plain = callbacks & 1;
            watch->info = callbacks & 2;
            watch->name = std::string(active ? "active-" : "inactive-") + (watch->plain ? "plain" : "")
                + (watch->info ? "info" : "");
            jack_status_t status;
            watch->client = jack_client_open(watch->name.c_str(), JackNoStartServer, &status);
            if (!watch->client)
                continue;
            ShutdownWatch* raw = watch.get();
            if (watch->plain)
                jack_on_shutdown(watch->client, [](void* w) { static_cast<ShutdownWatch*>(w)->plainCalled = true; }, raw);
            if (watch->info)
                jack_on_info_shutdown(
                    watch->client,
                    [](jack_status_t, const char*, void* w) { static_cast<ShutdownWatch*>(w)->infoCalled = true; }, raw);
            if (active) {
                jack_set_process_callback(watch->client, [](jack_nframes_t, void*) { return 0; }, nullptr);
                jack_activate(watch->client);
            }
            watches.push_back(std::move(watch));
        }
    }
    server.stop();
    const auto deadline = std::chrono::steady_clock::now() + ShutdownWait;
    while (std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(Poll);
    std::printf("\nthe server stopped (SIGTERM) under these clients; callbacks called within %lld s:\n",
                static_cast<long long>(ShutdownWait.count()));
    std::printf("  %-20s %-22s %-22s %s\n", "client", "jack_on_shutdown", "jack_on_info_shutdown", "jack_get_ports");
    for (const auto& watch : watches) {
        const char** ports = jack_get_ports(watch->client, nullptr, nullptr, 0);
        std::printf("  %-20s %-22s %-22s %s\n", watch->name.c_str(),
                    !watch->plain ? "(not set)" : watch->plainCalled ? "called" : "NOT called",
                    !watch->info ? "(not set)" : watch->infoCalled ? "called" : "NOT called",
                    ports ? "lists ports" : "lists no ports");
        jack_free(ports);
        if (!watch->active)
            std::printf("  %-20s jack_activate now gives %d\n", "", jack_activate(watch->client));
        jack_client_close(watch->client);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    JackTestServer server;
    if (!server.start()) {
        std::printf("%s\n", qPrintable(server.log()));
        return 1;
    }
    const QByteArray kind = qgetenv("TARVO_TEST_JACK");
    std::printf("JACK server: %s; libjack %s\n", kind.isEmpty() ? "jackd" : kind.constData(), jack_get_version_string());
    std::map<std::size_t, Whole> leastWhole;
    {
        CycleProbe probe;
        if (!probe.isReady()) {
            std::printf("the writer and reader clients could not open and connect\n");
            return 1;
        }
        if (!measureCycles(probe, probe.sampleRate(), &leastWhole))
            return 1;
        reportEchoes(probe);
        if (!checkCap(probe))
            std::printf("the cap does not hold here\n");
    }
    std::printf("\nmost events of one size arriving whole in one cycle at every period:\n");
    for (const auto& entry : leastWhole)
        std::printf("  %4zu-byte events: %zu events, %zu bytes\n", entry.first, entry.second.events, entry.second.bytes);
    reportNamesAndIdentity();
    reportShutdown(server);
    return 0;
}
