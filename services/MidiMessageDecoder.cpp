#include "services/MidiMessageDecoder.h"

#include "model/TarvoParameters.h"
#include "services/MidiSystemExclusiveDecoder.h"
#include "services/ControlChangeNameList.h"

#include <QCoreApplication>

#include <algorithm>
#include <iterator>

namespace {

const char* const Context = "MidiMessageDecoder";

// Kinds of channel messages by the high nibble of the status byte, from 8.
const char* const ChannelKindTexts[] = {
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Note Off"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Note On"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Key Pressure"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Control Change"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Program Change"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Channel Pressure"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Pitch Bend"),
};
// Data bytes of each channel message kind, in the same order.
const int ChannelDataBytes[] = {2, 2, 2, 2, 1, 1, 2};
enum ChannelKind { NoteOff, NoteOn, KeyPressure, ControlChange, ProgramChange, ChannelPressure, PitchBend };

// System messages by the low nibble of the status byte.
const char* const SystemKindTexts[] = {
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "System Exclusive"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Time Code Quarter Frame"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Song Position"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Song Select"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Undefined"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Undefined"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Tune Request"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "End of Exclusive"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Timing Clock"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Undefined"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Start"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Continue"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Stop"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Undefined"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "Active Sensing"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "System Reset"),
};
enum SystemStatus { SystemExclusive = 0x0, QuarterFrame = 0x1, SongPosition = 0x2, SongSelect = 0x3 };

// The pieces of a time code quarter frame by its high nibble.
const char* const QuarterFramePieceTexts[] = {
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "frames low nibble"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "frames high nibble"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "seconds low nibble"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "seconds high nibble"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "minutes low nibble"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "minutes high nibble"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "hours low nibble"),
    QT_TRANSLATE_NOOP("MidiMessageDecoder", "hours high nibble and rate"),
};

const char* const DataWithoutStatusText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "Data");
const char* const IncompleteText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "incomplete");
const char* const NoteValuesText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1 velocity %2");
const char* const KeyPressureValuesText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1 pressure %2");
const char* const ChannelPressureValuesText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "pressure %1");
const char* const ControllerValuesText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1 %2 = %3");
const char* const FourteenBitValuesText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1, %2 = %3 (14-bit)");
const char* const UndefinedControllerText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "Undefined");
const char* const RpnKindText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "RPN");
const char* const NrpnKindText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "NRPN");
const char* const ParameterNumberText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1/%2");
const char* const DataMsbText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1: data MSB = %2");
const char* const DataLsbText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1: data LSB = %2");
const char* const ParameterValueText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1 = %2 (MSB %3, LSB %4)");
const char* const IncrementText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1: increment %2");
const char* const DecrementText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1: decrement %2");
const char* const BankText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1, bank %2 (MSB %3, LSB %4)");
const char* const BankMsbText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1, bank MSB %2");
const char* const BankLsbText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1, bank LSB %2");
const char* const QuarterFrameValuesText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1 = %2");
const char* const SongPositionValuesText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "%1 beats");
const char* const SongSelectValuesText = QT_TRANSLATE_NOOP("MidiMessageDecoder", "song %1");

// Registered parameters by number (MSB * 128 + LSB).
struct RegisteredParameterName {
    int number;
    const char* name;
};
const RegisteredParameterName RegisteredParameterNames[] = {
    {0, QT_TRANSLATE_NOOP("MidiMessageDecoder", "Pitch Bend Sensitivity")},
    {1, QT_TRANSLATE_NOOP("MidiMessageDecoder", "Fine Tuning")},
    {2, QT_TRANSLATE_NOOP("MidiMessageDecoder", "Coarse Tuning")},
    {3, QT_TRANSLATE_NOOP("MidiMessageDecoder", "Tuning Program Select")},
    {4, QT_TRANSLATE_NOOP("MidiMessageDecoder", "Tuning Bank Select")},
    {5, QT_TRANSLATE_NOOP("MidiMessageDecoder", "Modulation Depth Range")},
};

const char* const NoteNames[] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};
const char* const NoteTextFormat = "%1%2 (%3)";
const char* const ParameterNameFormat = "%1 %2";
const int NotesPerOctave = 12;
// The octave of note 0 when middle C is C3, and when it is C4.
const int LowestOctaves[] = {-2, -1};
// "007 Volume": the controller number in front of the name.
const int ControllerNumberLength = 4;
const char* const UndefinedControllerName = "---";
// The most significant half's name ends in this; the 14-bit value drops it.
const char* const MsbSuffix = " (MSB)";

const unsigned char StatusBit = 0x80;
const unsigned char SystemStatusNibble = 0xF;
const int DataBits = 7;
const int PitchBendCentre = 8192;
const int NullParameter = 127;
enum Controller {
    BankSelectLsb = 32,
    DataEntryMsb = 6,
    DataEntryLsb = 38,
    FirstLsb = 32,
    FirstUnpaired = 64,
    DataIncrement = 96,
    DataDecrement = 97,
    NrpnLsb = 98,
    NrpnMsb = 99,
    RpnLsb = 100,
    RpnMsb = 101,
};

QString translated(const char* text)
{
    return QCoreApplication::translate(Context, text);
}

int dataAt(const QByteArray& bytes, int index)
{
    return static_cast<unsigned char>(bytes.at(index));
}

QString controllerName(int controller)
{
    const QLatin1String name(ControlChangeNameList[controller] + ControllerNumberLength);
    return name == QLatin1String(UndefinedControllerName) ? translated(UndefinedControllerText) : QString(name);
}

QString signedNumber(int value)
{
    return value > 0 ? QLatin1Char('+') + QString::number(value) : QString::number(value);
}

} // namespace

MidiMessageDecoder::ChannelState::ChannelState()
    : bankLsb(-1)
    , rpnMsb(-1)
    , rpnLsb(-1)
    , nrpnMsb(-1)
    , nrpnLsb(-1)
    , selected(NoParameter)
    , dataMsb(-1)
{
    std::fill(std::begin(msb), std::end(msb), -1);
}

MidiMessageDecoder::MidiMessageDecoder()
    : m_middleCName(MiddleCIsC3)
{
}

QString MidiMessageDecoder::noteText(int note, int middleCName)
{
    const int octave = note / NotesPerOctave + LowestOctaves[middleCName == MiddleCIsC4 ? 1 : 0];
    return QLatin1String(NoteTextFormat).arg(QLatin1String(NoteNames[note % NotesPerOctave])).arg(octave).arg(note);
}

void MidiMessageDecoder::pass(const QByteArray& bytes)
{
    if (bytes.size() < 3) {
        return;
    }
    const int status = dataAt(bytes, 0);
    if ((status >> 4) - (StatusBit >> 4) == ControlChange) {
        applyControlChange(m_channels[status & 0x0F], dataAt(bytes, 1), dataAt(bytes, 2));
    }
}

const MidiMessageDecoder::ChannelState& MidiMessageDecoder::stateBefore(const QByteArray& bytes) const
{
    return m_channels[bytes.isEmpty() ? 0 : dataAt(bytes, 0) & 0x0F];
}

MidiMessageDecoder::Decoded MidiMessageDecoder::decode(const QByteArray& bytes, qint64 size)
{
    const Decoded decoded = describe(bytes, size, stateBefore(bytes));
    pass(bytes);
    return decoded;
}

MidiMessageDecoder::Decoded MidiMessageDecoder::describe(const QByteArray& bytes, qint64 size,
                                                         const ChannelState& state) const
{
    Decoded decoded;
    if (bytes.isEmpty()) {
        return decoded;
    }
    const int status = dataAt(bytes, 0);
    if (!(status & StatusBit)) {
        decoded.kind = translated(DataWithoutStatusText);
        return decoded;
    }
    const int nibble = status >> 4;
    if (nibble == SystemStatusNibble) {
        decoded.values = systemMessage(bytes, size, &decoded.kind);
        return decoded;
    }
    const int kind = nibble - (StatusBit >> 4);
    decoded.channel = (status & 0x0F) + 1;
    decoded.kind = translated(ChannelKindTexts[kind]);
    if (bytes.size() < 1 + ChannelDataBytes[kind]) {
        decoded.values = translated(IncompleteText);
        return decoded;
    }
    const int first = dataAt(bytes, 1);
    const int second = ChannelDataBytes[kind] > 1 ? dataAt(bytes, 2) : 0;
    switch (kind) {
    case NoteOff:
    case NoteOn:
        decoded.values = translated(NoteValuesText).arg(noteText(first, m_middleCName)).arg(second);
        break;
    case KeyPressure:
        decoded.values = translated(KeyPressureValuesText).arg(noteText(first, m_middleCName)).arg(second);
        break;
    case ControlChange: {
        QString parameterKind;
        decoded.values = controlChangeText(state, first, second, &parameterKind);
        if (!parameterKind.isEmpty()) {
            decoded.kind = parameterKind;
        }
        break;
    }
    case ProgramChange:
        decoded.values = programChange(state, first + 1);
        break;
    case ChannelPressure:
        decoded.values = translated(ChannelPressureValuesText).arg(first);
        break;
    case PitchBend:
        decoded.values = signedNumber((second << DataBits | first) - PitchBendCentre);
        break;
    }
    return decoded;
}

bool MidiMessageDecoder::hasSelectedParameter(const ChannelState& state)
{
    const bool registered = state.selected == RegisteredParameter;
    const int msb = registered ? state.rpnMsb : state.nrpnMsb;
    const int lsb = registered ? state.rpnLsb : state.nrpnLsb;
    return state.selected != NoParameter && msb >= 0 && lsb >= 0 && !(msb == NullParameter && lsb == NullParameter);
}

bool MidiMessageDecoder::selectedParameter(const ChannelState& state, QString* kind, QString* parameter) const
{
    if (!hasSelectedParameter(state)) {
        return false;
    }
    const bool registered = state.selected == RegisteredParameter;
    const int msb = registered ? state.rpnMsb : state.nrpnMsb;
    const int lsb = registered ? state.rpnLsb : state.nrpnLsb;
    *kind = translated(registered ? RpnKindText : NrpnKindText);
    *parameter = translated(ParameterNumberText).arg(msb).arg(lsb);
    if (registered) {
        const int number = msb << DataBits | lsb;
        for (const auto& entry : RegisteredParameterNames) {
            if (entry.number == number) {
                *parameter = QLatin1String(ParameterNameFormat).arg(*parameter, translated(entry.name));
            }
        }
    }
    return true;
}

void MidiMessageDecoder::applyControlChange(ChannelState& state, int controller, int value)
{
    switch (controller) {
    case RpnMsb:
    case RpnLsb:
    case NrpnMsb:
    case NrpnLsb: {
        const bool registered = controller == RpnMsb || controller == RpnLsb;
        const bool msb = controller == RpnMsb || controller == NrpnMsb;
        int& target = registered ? (msb ? state.rpnMsb : state.rpnLsb) : (msb ? state.nrpnMsb : state.nrpnLsb);
        target = value;
        state.selected = registered ? RegisteredParameter : NonRegisteredParameter;
        state.dataMsb = -1;
        return;
    }
    case DataEntryMsb:
        if (hasSelectedParameter(state)) {
            state.dataMsb = value;
            return;
        }
        break;
    default:
        break;
    }
    if (controller < PairedControllerCount) {
        state.msb[controller] = value;
    } else if (controller == BankSelectLsb) {
        state.bankLsb = value;
    }
}

QString MidiMessageDecoder::controlChangeText(const ChannelState& state, int controller, int value,
                                              QString* kind) const
{
    QString parameter;
    switch (controller) {
    case DataEntryMsb:
        if (selectedParameter(state, kind, &parameter)) {
            return translated(DataMsbText).arg(parameter).arg(value);
        }
        break;
    case DataEntryLsb:
        if (selectedParameter(state, kind, &parameter)) {
            if (state.dataMsb < 0) {
                return translated(DataLsbText).arg(parameter).arg(value);
            }
            return translated(ParameterValueText)
                .arg(parameter)
                .arg(state.dataMsb << DataBits | value)
                .arg(state.dataMsb)
                .arg(value);
        }
        break;
    case DataIncrement:
    case DataDecrement:
        if (selectedParameter(state, kind, &parameter)) {
            return translated(controller == DataIncrement ? IncrementText : DecrementText).arg(parameter).arg(value);
        }
        break;
    default:
        break;
    }

    const QString text = translated(ControllerValuesText).arg(controller).arg(controllerName(controller)).arg(value);
    if (controller < PairedControllerCount) {
        return text;
    }
    const int msb = controller < FirstUnpaired ? state.msb[controller - FirstLsb] : -1;
    if (msb < 0) {
        return text;
    }
    QString name = controllerName(controller - FirstLsb);
    if (name.endsWith(QLatin1String(MsbSuffix))) {
        name.chop(int(qstrlen(MsbSuffix)));
    }
    return translated(FourteenBitValuesText).arg(text, name).arg(msb << DataBits | value);
}

QString MidiMessageDecoder::programChange(const ChannelState& state, int program) const
{
    const int bankMsb = state.msb[0];
    if (bankMsb >= 0 && state.bankLsb >= 0) {
        return translated(BankText)
            .arg(program)
            .arg(bankMsb << DataBits | state.bankLsb)
            .arg(bankMsb)
            .arg(state.bankLsb);
    }
    if (bankMsb >= 0) {
        return translated(BankMsbText).arg(program).arg(bankMsb);
    }
    if (state.bankLsb >= 0) {
        return translated(BankLsbText).arg(program).arg(state.bankLsb);
    }
    return QString::number(program);
}

QString MidiMessageDecoder::systemMessage(const QByteArray& bytes, qint64 size, QString* kind)
{
    const int status = dataAt(bytes, 0) & 0x0F;
    *kind = translated(SystemKindTexts[status]);
    const int needed = status == SongPosition ? 3 : (status == QuarterFrame || status == SongSelect) ? 2 : 1;
    if (bytes.size() < needed) {
        return translated(IncompleteText);
    }
    switch (status) {
    case SystemExclusive:
        return MidiSystemExclusiveDecoder::describe(bytes, size);
    case QuarterFrame: {
        const int data = dataAt(bytes, 1);
        return translated(QuarterFrameValuesText).arg(translated(QuarterFramePieceTexts[(data >> 4) & 0x07])).arg(data & 0x0F);
    }
    case SongPosition:
        return translated(SongPositionValuesText).arg(dataAt(bytes, 2) << DataBits | dataAt(bytes, 1));
    case SongSelect:
        return translated(SongSelectValuesText).arg(dataAt(bytes, 1));
    default:
        return QString();
    }
}
