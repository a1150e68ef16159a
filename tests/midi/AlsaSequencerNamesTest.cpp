// The names the ALSA platform offers: a port's address is never part of its
// name, so a device plugged in again under another client number is found
// by the name chosen before; equal names are told apart by their order; the
// program's own ports are left out by client number, not by name.

#include "midi/platform/AlsaPortList.h"

#include <QtTest>

#include <set>
#include <string>
#include <vector>

Q_DECLARE_METATYPE(std::vector<AlsaPortInfo>)
Q_DECLARE_METATYPE(std::set<int>)
Q_DECLARE_METATYPE(MidiEndpointKind)

namespace {

AlsaPortInfo port(int client, int number, const char* clientName, const char* portName, bool readable = true,
                  bool writable = true)
{
    AlsaPortInfo info;
    info.address = AlsaAddress{client, number};
    info.clientName = clientName;
    info.portName = portName;
    info.readable = readable;
    info.writable = writable;
    return info;
}

// "name#occurrence@client:port" for each endpoint, so that a whole list compares at once.
QStringList describe(const std::vector<AlsaEndpoint>& endpoints)
{
    QStringList lines;
    for (const AlsaEndpoint& e : endpoints)
        lines << QStringLiteral("%1#%2@%3:%4")
                     .arg(QString::fromStdString(e.name))
                     .arg(e.occurrence)
                     .arg(e.address.client)
                     .arg(e.address.port);
    return lines;
}

} // namespace

class AlsaSequencerNamesTest : public QObject
{
    Q_OBJECT

private slots:
    void addressLeavesTheName_data()
    {
        QTest::addColumn<QString>("addressed");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("client");
        QTest::addColumn<int>("port");
        QTest::newRow("plain") << "Synth:Synth MIDI 1 20:0" << "Synth:Synth MIDI 1" << 20 << 0;
        QTest::newRow("three digits") << "Tarvo Suite:OutputPort 128:12" << "Tarvo Suite:OutputPort" << 128 << 12;
        QTest::newRow("client ending in digits") << "UM-2 2:UM-2 MIDI 1 24:1" << "UM-2 2:UM-2 MIDI 1" << 24 << 1;
        QTest::newRow("client holding colons") << "A:B 1:2:Port 3:4 36:0" << "A:B 1:2:Port 3:4" << 36 << 0;
        QTest::newRow("port name ending in an address") << "Dev:Out 1:2 130:3" << "Dev:Out 1:2" << 130 << 3;
        QTest::newRow("no address") << "Midi Through:Port-0" << "Midi Through:Port-0" << -1 << -1;
        QTest::newRow("number without colon") << "Synth 20" << "Synth 20" << -1 << -1;
        QTest::newRow("no space before it") << "Synth20:0" << "Synth20:0" << -1 << -1;
        QTest::newRow("too many digits for a client") << "Box 2024:0" << "Box 2024:0" << -1 << -1;
        QTest::newRow("too many digits for a port") << "Box 20:1000" << "Box 20:1000" << -1 << -1;
        QTest::newRow("missing port number") << "Box 20:" << "Box 20:" << -1 << -1;
        QTest::newRow("missing client number") << "Box :0" << "Box :0" << -1 << -1;
        QTest::newRow("empty names") << ": 14:0" << ":" << 14 << 0;
        QTest::newRow("only an address") << "14:0" << "14:0" << -1 << -1;
        QTest::newRow("empty") << "" << "" << -1 << -1;
    }
    void addressLeavesTheName()
    {
        QFETCH(QString, addressed);
        AlsaAddress address;
        QTEST(QString::fromStdString(alsaEndpointName(addressed.toStdString(), &address)), "name");
        QTEST(address.client, "client");
        QTEST(address.port, "port");
    }

    void offeredEndpoints_data()
    {
        QTest::addColumn<std::vector<AlsaPortInfo>>("ports");
        QTest::addColumn<MidiEndpointKind>("kind");
        QTest::addColumn<std::set<int>>("own");
        QTest::addColumn<QStringList>("offered");
        const std::vector<AlsaPortInfo> system{port(0, 0, "System", "Timer"), port(0, 1, "System", "Announce")};
        QTest::newRow("the sequencer's own client")
            << system << MidiEndpointKind::Source << std::set<int>{} << QStringList{};
        QTest::newRow("sources and destinations")
            << std::vector<AlsaPortInfo>{port(20, 0, "Keys", "Out", true, false), port(24, 0, "Synth", "In", false, true),
                                         port(14, 0, "Midi Through", "Port-0")}
            << MidiEndpointKind::Destination << std::set<int>{}
            << QStringList{"Synth:In#0@24:0", "Midi Through:Port-0#0@14:0"};
        QTest::newRow("equal names by order")
            << std::vector<AlsaPortInfo>{port(24, 0, "UM-ONE", "MIDI 1"), port(20, 0, "Keys", "Out"),
                                         port(28, 0, "UM-ONE", "MIDI 1")}
            << MidiEndpointKind::Source << std::set<int>{}
            << QStringList{"UM-ONE:MIDI 1#0@24:0", "Keys:Out#0@20:0", "UM-ONE:MIDI 1#1@28:0"};
        QTest::newRow("hidden ports") << [] {
            std::vector<AlsaPortInfo> ports{port(20, 0, "Keys", "Out"), port(20, 1, "Keys", "Out")};
            ports[0].hidden = true;
            return ports;
        }() << MidiEndpointKind::Source << std::set<int>{}
                                      << QStringList{"Keys:Out#0@20:1"};
        // Another instance of the program has the same client name and is offered.
        QTest::newRow("own clients by number")
            << std::vector<AlsaPortInfo>{port(128, 0, "Tarvo Suite", "OutputPort", true, false),
                                         port(129, 0, "Tarvo Suite", "InputPort", false, true),
                                         port(130, 0, "Tarvo Suite", "InputPort", false, true),
                                         port(130, 1, "Tarvo Suite", "OutputPort", true, false)}
            << MidiEndpointKind::Destination << std::set<int>{128, 129}
            << QStringList{"Tarvo Suite:InputPort#0@130:0"};
        QTest::newRow("own ports skipped before counting")
            << std::vector<AlsaPortInfo>{port(128, 0, "Dup", "Port"), port(30, 0, "Dup", "Port")}
            << MidiEndpointKind::Source << std::set<int>{128} << QStringList{"Dup:Port#0@30:0"};
    }
    void offeredEndpoints()
    {
        QFETCH(std::vector<AlsaPortInfo>, ports);
        QFETCH(MidiEndpointKind, kind);
        QFETCH(std::set<int>, own);
        QTEST(describe(alsaEndpoints(ports, kind, own)), "offered");
    }

    // A device that came back at another address is found by its old name.
    void foundByNameAndOccurrence()
    {
        const std::vector<AlsaPortInfo> before{port(24, 0, "UM-ONE", "MIDI 1"), port(28, 0, "UM-ONE", "MIDI 1")};
        const std::vector<AlsaPortInfo> after{port(28, 0, "UM-ONE", "MIDI 1"), port(32, 0, "UM-ONE", "MIDI 1")};
        const std::vector<AlsaEndpoint> listed = alsaEndpoints(before, MidiEndpointKind::Source, {});
        AlsaAddress address;
        QVERIFY(findAlsaEndpoint(alsaEndpoints(after, MidiEndpointKind::Source, {}), listed[1].name,
                                 listed[1].occurrence, &address));
        QCOMPARE(address.client, 32);
        QVERIFY(!findAlsaEndpoint(alsaEndpoints(after, MidiEndpointKind::Source, {}), listed[1].name, 2, &address));
        QVERIFY(!findAlsaEndpoint({}, listed[0].name, 0, &address));
    }
};

QTEST_GUILESS_MAIN(AlsaSequencerNamesTest)
#include "AlsaSequencerNamesTest.moc"
