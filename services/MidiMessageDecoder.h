#pragma once

#include <QByteArray>
#include <QString>

// MIDI messages in words, one after another as a monitor shows them. It
// remembers per channel what completes later messages: the RPN or NRPN that
// data entry sets, the most significant half of 14-bit controllers, and the
// bank that a program change selects.
class MidiMessageDecoder
{
public:
    struct Decoded
    {
        // 1 to 16; 0 for messages of no channel.
        int channel = 0;
        // "Note On", "Control Change", "RPN", ...
        QString kind;
        // "C3 (60) velocity 100", "7 Volume = 100", ...
        QString values;
    };

    static constexpr int PairedControllerCount = 32;
    enum ParameterKind { NoParameter, RegisteredParameter, NonRegisteredParameter };

    // What earlier messages on a channel left for later ones.
    struct ChannelState
    {
        ChannelState();

        // Last value of each of controllers 0 to 31 (the most significant
        // halves), -1 before the first.
        int msb[PairedControllerCount];
        int bankLsb;
        int rpnMsb;
        int rpnLsb;
        int nrpnMsb;
        int nrpnLsb;
        // Which parameter data entry changes: the one selected last.
        ParameterKind selected;
        // The data entry MSB sent to the selected parameter, -1 before it.
        int dataMsb;
    };

    MidiMessageDecoder();

    // A value of MiddleCNameId: what note 60 is called.
    void setMiddleCName(int name) { m_middleCName = name; }
    // bytes are the message, or only its first bytes when size is larger (a
    // long System Exclusive message shown shortened).
    Decoded decode(const QByteArray& bytes, qint64 size);
    // The same with state, that of the message's channel before it, which
    // the message does not change.
    Decoded describe(const QByteArray& bytes, qint64 size, const ChannelState& state) const;
    // The state of the message's channel before it; of no channel, the first.
    const ChannelState& stateBefore(const QByteArray& bytes) const;
    // Takes in what a message changes for later ones.
    void pass(const QByteArray& bytes);
    // "C3 (60)", named as middleCName (a MiddleCName) says.
    static QString noteText(int note, int middleCName);

private:
    static constexpr int ChannelCount = 16;

    static void applyControlChange(ChannelState& state, int controller, int value);
    // The values as the state before the control change gives them.
    QString controlChangeText(const ChannelState& state, int controller, int value, QString* kind) const;
    QString programChange(const ChannelState& state, int program) const;
    static bool hasSelectedParameter(const ChannelState& state);
    // The selected parameter's kind ("RPN"), number and name, or false when
    // none is selected.
    bool selectedParameter(const ChannelState& state, QString* kind, QString* parameter) const;
    static QString systemMessage(const QByteArray& bytes, qint64 size, QString* kind);

    ChannelState m_channels[ChannelCount];
    int m_middleCName;
};
