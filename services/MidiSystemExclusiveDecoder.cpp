#include "services/MidiSystemExclusiveDecoder.h"

#include "services/MidiManufacturerNames.h"

#include <QCoreApplication>
#include <QLocale>

namespace {

const char* const Context = "MidiSystemExclusiveDecoder";
const char* const LengthText = QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "%1 bytes");
const char* const UnknownManufacturerText = QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "unknown manufacturer %1");
const char* const AllDevicesText = QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "all devices");
const char* const DeviceText = QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "device %1");
const char* const IdentityReplyText
    = QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "%1, family %2, model %3, version %4.%5.%6.%7");
const char* const FullFrameText = QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "%1, %2 fps");
const char* const TimeCodeFormat = "%1:%2:%3:%4";
const char* const MachineControlText = QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "MMC %1");
const char* const LocateTargetText = QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "%1 %2");
const char* const SampleDumpHeaderText = QT_TRANSLATE_NOOP(
    "MidiSystemExclusiveDecoder", "sample %1, %2 bits, %3 Hz, %4 words, loop %5-%6 %7");
const char* const FrameRateTexts[] = {"24", "25", "29.97 drop", "30"};
const char* const LoopTypeTexts[] = {QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "forward"),
                                     QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "backward/forward")};
const char* const LoopOffText = QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "off");
const char* const ManufacturerSeparator = ", ";
const char* const DetailSeparator = ": ";
const char* const ExtraOpening = " (";
const char* const ExtraClosing = ")";

const unsigned char NonRealTime = 0x7E;
const unsigned char RealTime = 0x7F;
const unsigned char AllDevices = 0x7F;
// Places in a universal message: F0, 7E or 7F, device, sub-ID 1, sub-ID 2.
const int DeviceIndex = 2;
const int SubId1Index = 3;
const int SubId2Index = 4;
const int ManufacturerIndex = 1;
const qint64 NanosecondsPerSecond = 1000000000;
const int DataBits = 7;
const unsigned char LoopOff = 0x7F;

struct SubName {
    unsigned char id;
    const char* name;
};

const SubName NonRealTimeNames[] = {
    {0x01, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Sample Dump Header")},
    {0x02, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Sample Data Packet")},
    {0x03, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Sample Dump Request")},
    {0x04, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "MIDI Time Code Cueing")},
    {0x05, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Sample Dump Extensions")},
    {0x06, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "General Information")},
    {0x07, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "File Dump")},
    {0x08, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "MIDI Tuning Standard")},
    {0x09, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "General MIDI")},
    {0x0A, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Downloadable Sounds")},
    {0x0B, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "File Reference")},
    {0x0C, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "MIDI Visual Control")},
    {0x0D, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "MIDI Capability Inquiry")},
    {0x7B, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "End of File")},
    {0x7C, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Wait")},
    {0x7D, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Cancel")},
    {0x7E, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "NAK")},
    {0x7F, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "ACK")},
};

const SubName RealTimeNames[] = {
    {0x01, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "MIDI Time Code")},
    {0x02, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "MIDI Show Control")},
    {0x03, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Notation Information")},
    {0x04, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Device Control")},
    {0x05, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Real Time MTC Cueing")},
    {0x06, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "MIDI Machine Control Command")},
    {0x07, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "MIDI Machine Control Response")},
    {0x08, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "MIDI Tuning Standard")},
    {0x09, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Controller Destination Setting")},
    {0x0A, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Key-Based Instrument Control")},
    {0x0B, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Scalable Polyphony")},
    {0x0C, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Mobile Phone Control")},
};

const SubName GeneralInformationNames[] = {
    {0x01, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Identity Request")},
    {0x02, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Identity Reply")},
};

const SubName GeneralMidiNames[] = {
    {0x01, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "General MIDI System On")},
    {0x02, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "General MIDI System Off")},
    {0x03, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "General MIDI 2 System On")},
};

const SubName TimeCodeNames[] = {
    {0x01, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "MTC Full Frame")},
    {0x02, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "MTC User Bits")},
};

const SubName DeviceControlNames[] = {
    {0x01, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Master Volume")},
    {0x02, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Master Balance")},
    {0x03, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Master Fine Tuning")},
    {0x04, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Master Coarse Tuning")},
    {0x05, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Global Parameter Control")},
};

const SubName MachineControlNames[] = {
    {0x01, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Stop")},
    {0x02, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Play")},
    {0x03, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Deferred Play")},
    {0x04, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Fast Forward")},
    {0x05, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Rewind")},
    {0x06, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Record Strobe")},
    {0x07, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Record Exit")},
    {0x08, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Record Pause")},
    {0x09, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Pause")},
    {0x0A, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Eject")},
    {0x0B, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Chase")},
    {0x0C, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Command Error Reset")},
    {0x0D, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "MMC Reset")},
    {0x40, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Write")},
    {0x41, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Masked Write")},
    {0x42, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Read")},
    {0x43, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Update")},
    {0x44, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Locate")},
    {0x45, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Variable Play")},
    {0x46, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Search")},
    {0x47, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Shuttle")},
    {0x48, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Step")},
    {0x49, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Assign System Master")},
    {0x4A, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Generator Command")},
    {0x4B, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "MIDI Time Code Command")},
    {0x4C, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Move")},
    {0x4D, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Add")},
    {0x4E, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Subtract")},
    {0x4F, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Drop Frame Adjust")},
    {0x50, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Procedure")},
    {0x51, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Event")},
    {0x52, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Group")},
    {0x53, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Command Segment")},
    {0x54, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Deferred Variable Play")},
    {0x55, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Record Strobe Variable")},
    {0x7C, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Wait")},
    {0x7F, QT_TRANSLATE_NOOP("MidiSystemExclusiveDecoder", "Resume")},
};

// The messages whose sub-ID 2 names them.
struct SubTable {
    unsigned char universal;
    unsigned char subId1;
    const SubName* names;
    int count;
};

template <int Count>
constexpr SubTable subTable(unsigned char universal, unsigned char subId1, const SubName (&names)[Count])
{
    return SubTable{universal, subId1, names, Count};
}

const SubTable SecondIdTables[] = {
    subTable(NonRealTime, 0x06, GeneralInformationNames),
    subTable(NonRealTime, 0x09, GeneralMidiNames),
    subTable(RealTime, 0x01, TimeCodeNames),
    subTable(RealTime, 0x04, DeviceControlNames),
};

const unsigned char SampleDumpHeader = 0x01;
const unsigned char IdentityReplySubIds[] = {0x06, 0x02};
const unsigned char FullFrameSubIds[] = {0x01, 0x01};
const unsigned char DeviceControlSubId = 0x04;
const unsigned char MachineControlSubId = 0x06;
const unsigned char LocateCommand = 0x44;
// Locate: 44, byte count, 01 (target), then hours, minutes, seconds, frames.
const int LocateTimeOffset = 3;

QString translated(const char* text)
{
    return QCoreApplication::translate(Context, text);
}

QString groupedNumber(qint64 value)
{
    return QLocale(QLocale::English).toString(value);
}

unsigned int byteAt(const QByteArray& bytes, int index)
{
    return index < bytes.size() ? static_cast<unsigned char>(bytes.at(index)) : 0;
}

// A value sent least significant 7 bits first in count bytes from index.
qint64 valueAt(const QByteArray& bytes, int index, int count)
{
    qint64 value = 0;
    for (int byte = count - 1; byte >= 0; --byte) {
        value = value << DataBits | byteAt(bytes, index + byte);
    }
    return value;
}

const char* nameIn(const SubName* names, int count, unsigned int id)
{
    for (int index = 0; index < count; ++index) {
        if (names[index].id == id) {
            return names[index].name;
        }
    }
    return nullptr;
}

template <int Count>
const char* nameIn(const SubName (&names)[Count], unsigned int id)
{
    return nameIn(names, Count, id);
}

QString hexBytes(const QByteArray& bytes, int index, int count)
{
    return QString::fromLatin1(bytes.mid(index, count).toHex(' ').toUpper());
}

QString twoDigits(unsigned int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString manufacturerText(const QByteArray& bytes, int index)
{
    const QString name = MidiManufacturerNames::name(bytes, index);
    if (!name.isEmpty()) {
        return name;
    }
    const int length = MidiManufacturerNames::idLength(bytes, index);
    return translated(UnknownManufacturerText).arg(hexBytes(bytes, index, length == 0 ? bytes.size() : length));
}

bool hasSubIds(const QByteArray& bytes, const unsigned char (&subIds)[2])
{
    return byteAt(bytes, SubId1Index) == subIds[0] && byteAt(bytes, SubId2Index) == subIds[1];
}

QString identityReply(const QByteArray& bytes)
{
    const int manufacturer = SubId2Index + 1;
    const int length = MidiManufacturerNames::idLength(bytes, manufacturer);
    const int family = manufacturer + length;
    const int model = family + 2;
    const int version = model + 2;
    if (length == 0 || version + 4 > bytes.size()) {
        return QString();
    }
    return translated(IdentityReplyText)
        .arg(manufacturerText(bytes, manufacturer))
        .arg(valueAt(bytes, family, 2))
        .arg(valueAt(bytes, model, 2))
        .arg(byteAt(bytes, version))
        .arg(byteAt(bytes, version + 1))
        .arg(byteAt(bytes, version + 2))
        .arg(byteAt(bytes, version + 3));
}

// hh (with the frame rate in bits 5 and 6), mm, ss, ff from index.
QString timeCode(const QByteArray& bytes, int index)
{
    return QLatin1String(TimeCodeFormat)
        .arg(twoDigits(byteAt(bytes, index) & 0x1F), twoDigits(byteAt(bytes, index + 1)),
             twoDigits(byteAt(bytes, index + 2)), twoDigits(byteAt(bytes, index + 3)));
}

QString fullFrame(const QByteArray& bytes, int index)
{
    return translated(FullFrameText)
        .arg(timeCode(bytes, index), QLatin1String(FrameRateTexts[(byteAt(bytes, index) >> 5) & 0x03]));
}

QString sampleDumpHeader(const QByteArray& bytes)
{
    // sample number (2), format (1), period in ns (3), length in words (3),
    // loop start (3), loop end (3), loop type (1)
    const int sample = SubId1Index + 1;
    const int format = sample + 2;
    const int period = format + 1;
    const int length = period + 3;
    const int loopStart = length + 3;
    const int loopEnd = loopStart + 3;
    const int loopType = loopEnd + 3;
    if (loopType >= bytes.size()) {
        return QString();
    }
    const qint64 periodNanoseconds = valueAt(bytes, period, 3);
    const unsigned int type = byteAt(bytes, loopType);
    const QString loop = type == LoopOff ? translated(LoopOffText)
        : type < 2                       ? translated(LoopTypeTexts[type])
                                         : QString::number(type);
    return translated(SampleDumpHeaderText)
        .arg(valueAt(bytes, sample, 2))
        .arg(byteAt(bytes, format))
        .arg(periodNanoseconds == 0 ? 0 : NanosecondsPerSecond / periodNanoseconds)
        .arg(valueAt(bytes, length, 3))
        .arg(valueAt(bytes, loopStart, 3))
        .arg(valueAt(bytes, loopEnd, 3))
        .arg(loop);
}

QString machineControl(const QByteArray& bytes)
{
    const unsigned int command = byteAt(bytes, SubId2Index);
    const char* name = nameIn(MachineControlNames, command);
    QString text = name == nullptr ? hexBytes(bytes, SubId2Index, 1) : translated(name);
    const int time = SubId2Index + LocateTimeOffset;
    if (command == LocateCommand && time + 4 <= bytes.size()) {
        text = translated(LocateTargetText).arg(text, timeCode(bytes, time));
    }
    return translated(MachineControlText).arg(text);
}

// What a universal message is, with what it carries where known.
QString universalDetail(const QByteArray& bytes)
{
    if (bytes.size() <= SubId1Index) {
        return QString();
    }
    const unsigned int universal = byteAt(bytes, ManufacturerIndex);
    const unsigned int subId1 = byteAt(bytes, SubId1Index);
    if (universal == RealTime && subId1 == MachineControlSubId && bytes.size() > SubId2Index) {
        return machineControl(bytes);
    }
    const char* name = universal == NonRealTime ? nameIn(NonRealTimeNames, subId1) : nameIn(RealTimeNames, subId1);
    for (const SubTable& table : SecondIdTables) {
        if (table.universal == universal && table.subId1 == subId1 && bytes.size() > SubId2Index) {
            const char* second = nameIn(table.names, table.count, byteAt(bytes, SubId2Index));
            name = second == nullptr ? name : second;
        }
    }
    QString text = name == nullptr ? hexBytes(bytes, SubId1Index, 2) : translated(name);
    QString extra;
    if (universal == NonRealTime && hasSubIds(bytes, IdentityReplySubIds)) {
        extra = identityReply(bytes);
    } else if (universal == NonRealTime && subId1 == SampleDumpHeader) {
        extra = sampleDumpHeader(bytes);
    } else if (universal == RealTime && hasSubIds(bytes, FullFrameSubIds) && SubId2Index + 5 <= bytes.size()) {
        extra = fullFrame(bytes, SubId2Index + 1);
    } else if (universal == RealTime && subId1 == DeviceControlSubId && SubId2Index + 3 <= bytes.size()) {
        extra = QString::number(valueAt(bytes, SubId2Index + 1, 2));
    }
    if (!extra.isEmpty()) {
        text += QLatin1String(ExtraOpening) + extra + QLatin1String(ExtraClosing);
    }
    return text;
}

} // namespace

QString MidiSystemExclusiveDecoder::describe(const QByteArray& bytes, qint64 size)
{
    QString text = translated(LengthText).arg(groupedNumber(size));
    if (bytes.size() <= ManufacturerIndex) {
        return text;
    }
    text += QLatin1String(ManufacturerSeparator) + manufacturerText(bytes, ManufacturerIndex);
    const unsigned int universal = byteAt(bytes, ManufacturerIndex);
    if ((universal != NonRealTime && universal != RealTime) || bytes.size() <= DeviceIndex) {
        return text;
    }
    const unsigned int device = byteAt(bytes, DeviceIndex);
    text += QLatin1String(ManufacturerSeparator)
        + (device == AllDevices ? translated(AllDevicesText) : translated(DeviceText).arg(device));
    const QString detail = universalDetail(bytes);
    if (!detail.isEmpty()) {
        text += QLatin1String(DetailSeparator) + detail;
    }
    return text;
}
