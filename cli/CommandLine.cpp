#include "cli/CommandLine.h"

#include "cli/CliTexts.h"
#include "model/TarvoParameters.h"
#include "services/DumpFile.h"
#include "services/HexTextChecker.h"
#include "services/LatencyProbe.h"
#include "services/MidiFileName.h"

#include <QCommandLineParser>

#include <algorithm>
#include <limits>

namespace {

enum CommandBit : unsigned int {
    PortsBit = 1,
    SendBit = 2,
    ReceiveBit = 4,
    RequestBit = 8,
    LatencyBit = 16,
};

struct CommandName
{
    const char* name;
    CliOptions::Command command;
    unsigned int bit;
};

const CommandName Commands[] = {
    {"ports", CliOptions::Command::Ports, PortsBit},
    {"send", CliOptions::Command::Send, SendBit},
    {"receive", CliOptions::Command::Receive, ReceiveBit},
    {"request", CliOptions::Command::Request, RequestBit},
    {"latency", CliOptions::Command::Latency, LatencyBit},
};

// Every option with the commands it goes with; a null value name marks a flag.
struct OptionRule
{
    const char* name;
    const char* valueName;
    unsigned int commands;
};

const char* const ToOption = "to";
const char* const FromOption = "from";
const char* const HexOption = "hex";
const char* const IntervalOption = "interval";
const char* const ChunkOption = "chunk";
const char* const RateOption = "rate";
const char* const CountOption = "count";
const char* const TimeoutOption = "timeout";
const char* const SysexOnlyOption = "sysex-only";
const char* const TimestampOption = "timestamp";
const char* const OutOption = "out";
const char* const MaxSysexOption = "max-sysex";
const char* const MidiSystemOption = "midi-system";
const char* const HelpOption = "help";
const char* const HelpShortOption = "h";
const char* const VersionOption = "version";
const char* const VersionShortOption = "v";

// Commands that send and commands that receive.
const unsigned int SendingBits = SendBit | RequestBit | LatencyBit;
const unsigned int ReceivingBits = ReceiveBit | RequestBit | LatencyBit;
const unsigned int EveryCommandBits = PortsBit | SendingBits | ReceivingBits;

const OptionRule OptionRules[] = {
    {ToOption, "PORT", SendingBits},
    {FromOption, "PORT", ReceivingBits},
    {HexOption, "TEXT", SendingBits},
    {IntervalOption, "MS", SendingBits},
    {ChunkOption, "BYTES", SendBit | RequestBit},
    {RateOption, "BYTES_PER_S", SendBit | RequestBit},
    {CountOption, "N", ReceivingBits},
    {TimeoutOption, "S", ReceiveBit | RequestBit},
    {SysexOnlyOption, nullptr, ReceiveBit},
    {TimestampOption, nullptr, ReceiveBit | RequestBit},
    {OutOption, "FILE", ReceiveBit | RequestBit},
    {MaxSysexOption, "KIB", SendBit | ReceiveBit | RequestBit},
    {MidiSystemOption, "SYSTEM", EveryCommandBits},
};

const qint64 LongestIntervalMs = 60000;
// The JACK platform takes no larger piece.
const qint64 LargestChunk = 65536;
const qint64 HighestRate = 100000000;
const qint64 LargestCount = std::numeric_limits<int>::max();
// What a timer of milliseconds in an int can count.
const double LongestTimeoutSeconds = 2000000;
const qint64 LargestMaxSysexKiB = DumpFile::MaximumSize / BytesPerKiB;
// A request waits for one reply for this long unless told otherwise.
const int RequestDefaultCount = 1;
const double RequestDefaultTimeoutSeconds = 5.0;
// A probe goes out at most once a millisecond.
const qint64 ShortestProbeIntervalMs = 1;

QString badNumber(const char* option, const QString& low, const QString& high, const QString& value)
{
    return QString::fromLatin1(BadNumberFormat).arg(QLatin1String(option), low, high, value);
}

// Stores the option's value when it is set; false with the reason when it is out of range.
bool readInteger(const QCommandLineParser& parser, const char* option, qint64 low, qint64 high, qint64* value,
                 QString* error)
{
    if (!parser.isSet(QLatin1String(option)))
        return true;
    const QString text = parser.value(QLatin1String(option));
    bool ok = false;
    const qint64 number = text.toLongLong(&ok);
    if (!ok || number < low || number > high) {
        *error = badNumber(option, QString::number(low), QString::number(high), text);
        return false;
    }
    *value = number;
    return true;
}

bool readTimeout(const QCommandLineParser& parser, double* seconds, QString* error)
{
    if (!parser.isSet(QLatin1String(TimeoutOption)))
        return true;
    const QString text = parser.value(QLatin1String(TimeoutOption));
    bool ok = false;
    const double number = text.toDouble(&ok);
    if (!ok || !(number >= 0.0 && number <= LongestTimeoutSeconds)) {
        *error = badNumber(TimeoutOption, QString::number(0), QString::number(LongestTimeoutSeconds, 'f', 0), text);
        return false;
    }
    *seconds = number;
    return true;
}

bool readNumbers(const QCommandLineParser& parser, CliOptions* options, QString* error)
{
    qint64 interval = options->intervalMs;
    qint64 chunk = static_cast<qint64>(options->chunk);
    qint64 rate = options->rate;
    qint64 count = options->count;
    qint64 maxSysexKiB = DefaultMaxSystemExclusiveKiB;
    const qint64 shortestInterval = options->command == CliOptions::Command::Latency ? ShortestProbeIntervalMs : 0;
    const bool ok = readInteger(parser, IntervalOption, shortestInterval, LongestIntervalMs, &interval, error)
        && readInteger(parser, ChunkOption, 1, LargestChunk, &chunk, error)
        && readInteger(parser, RateOption, 0, HighestRate, &rate, error)
        && readInteger(parser, CountOption, 1, LargestCount, &count, error)
        && readInteger(parser, MaxSysexOption, 1, LargestMaxSysexKiB, &maxSysexKiB, error)
        && readTimeout(parser, &options->timeoutSeconds, error);
    options->intervalMs = static_cast<int>(interval);
    options->chunk = static_cast<std::size_t>(chunk);
    options->rate = static_cast<unsigned int>(rate);
    options->count = static_cast<int>(count);
    options->maxSystemExclusive = systemExclusiveLimitBytes(maxSysexKiB);
    return ok;
}

bool readPorts(const QCommandLineParser& parser, const QString& command, unsigned int bit, CliOptions* options,
               QString* error)
{
    options->to = parser.value(QLatin1String(ToOption));
    options->from = parser.value(QLatin1String(FromOption));
    const char* missing = nullptr;
    if ((bit & SendingBits) && options->to.isEmpty())
        missing = ToOption;
    else if ((bit & ReceivingBits) && options->from.isEmpty())
        missing = FromOption;
    if (missing)
        *error = QString::fromLatin1(MissingOptionFormat).arg(command, QLatin1String(missing));
    return missing == nullptr;
}

bool readInputs(const QCommandLineParser& parser, CliOptions* options, QString* error)
{
    const QStringList rest = parser.positionalArguments().mid(1);
    options->hasHex = parser.isSet(QLatin1String(HexOption));
    options->hex = parser.value(QLatin1String(HexOption));
    if (!options->sends()) {
        if (!rest.isEmpty())
            *error = QString::fromLatin1(UnexpectedArgumentFormat).arg(rest.first());
        return rest.isEmpty();
    }
    options->files = rest;
    if (options->hasHex == !rest.isEmpty()) {
        *error = QLatin1String(options->hasHex ? FileAndHexText : NothingToSendText);
        return false;
    }
    const bool hasMidiFile = std::any_of(rest.begin(), rest.end(), MidiFileName::isMidiFile);
    if (hasMidiFile && !options->playsMidiFile()) {
        *error = QLatin1String(MidiFileAloneText);
        return false;
    }
    return true;
}

// The probe of a latency command, when --hex gives one.
bool readProbe(CliOptions* options, QString* error)
{
    QByteArray probe;
    HexTextChecker::Problem problem;
    QString reason;
    if (!HexTextChecker::check(options->hex, &probe, &problem)) {
        reason = HexTextChecker::describe(options->hex, problem);
    } else if (probe.isEmpty()) {
        reason = QLatin1String(EmptyInputText);
    } else if (LatencyProbe::isProbe(probe, &reason)) {
        options->probe = probe;
        return true;
    }
    *error = QString::fromLatin1(InputProblemFormat).arg(QLatin1String(HexTextSource), reason);
    return false;
}

} // namespace

bool CliOptions::playsMidiFile() const
{
    return command == Command::Send && files.size() == 1 && MidiFileName::isMidiFile(files.first());
}

bool parseCommandLine(const QStringList& arguments, CliOptions* options, QString* error)
{
    QCommandLineParser parser;
    for (const OptionRule& rule : OptionRules) {
        QCommandLineOption option(QLatin1String(rule.name));
        if (rule.valueName)
            option.setValueName(QLatin1String(rule.valueName));
        parser.addOption(option);
    }
    parser.addOption(QCommandLineOption(QStringList{QLatin1String(HelpShortOption), QLatin1String(HelpOption)}));
    parser.addOption(QCommandLineOption(QStringList{QLatin1String(VersionShortOption), QLatin1String(VersionOption)}));
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return false;
    }
    if (parser.isSet(QLatin1String(HelpOption)) || parser.isSet(QLatin1String(VersionOption))) {
        options->command = parser.isSet(QLatin1String(HelpOption)) ? CliOptions::Command::Help
                                                                    : CliOptions::Command::Version;
        return true;
    }
    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        *error = QLatin1String(NoCommandText);
        return false;
    }
    const QString command = positional.first();
    unsigned int bit = 0;
    for (const CommandName& entry : Commands) {
        if (command == QLatin1String(entry.name)) {
            options->command = entry.command;
            bit = entry.bit;
        }
    }
    if (bit == 0) {
        *error = QString::fromLatin1(UnknownCommandFormat).arg(command);
        return false;
    }
    for (const OptionRule& rule : OptionRules) {
        if (parser.isSet(QLatin1String(rule.name)) && !(rule.commands & bit)) {
            *error = QString::fromLatin1(OptionNotForCommandFormat).arg(QLatin1String(rule.name), command);
            return false;
        }
    }
    if (options->command == CliOptions::Command::Request) {
        options->count = RequestDefaultCount;
        options->timeoutSeconds = RequestDefaultTimeoutSeconds;
        options->sysexOnly = true;
    } else if (options->command == CliOptions::Command::Latency) {
        options->count = LatencyProbe::DefaultCount;
        options->intervalMs = LatencyProbe::DefaultIntervalMilliseconds;
    } else {
        options->sysexOnly = parser.isSet(QLatin1String(SysexOnlyOption));
    }
    if (parser.isSet(QLatin1String(MidiSystemOption))
        && !parseMidiSystem(parser.value(QLatin1String(MidiSystemOption)), &options->system)) {
        *error = QString::fromLatin1(BadMidiSystemFormat).arg(parser.value(QLatin1String(MidiSystemOption)));
        return false;
    }
    options->timestamp = parser.isSet(QLatin1String(TimestampOption));
    options->out = parser.value(QLatin1String(OutOption));
    if (!readNumbers(parser, options, error) || !readPorts(parser, command, bit, options, error)
        || !readInputs(parser, options, error))
        return false;
    return options->command != CliOptions::Command::Latency || !options->hasHex || readProbe(options, error);
}
