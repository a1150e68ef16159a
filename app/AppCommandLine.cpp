#include "app/AppCommandLine.h"

#include "services/ProductInfo.h"

#include <QCommandLineParser>

namespace {

const char* const HelpOption = "help";
const char* const HelpShortOption = "h";
const char* const VersionOption = "version";
const char* const VersionShortOption = "v";
const char* const MidiSystemOption = "midi-system";
const char* const MidiSystemValueName = "SYSTEM";

const char* const HelpText =
    "Usage: tarvo [--midi-system SYSTEM] [FILE]\n"
    "       tarvo --help | --version\n"
    "\n"
    "Watches every byte a MIDI device sends and every byte sent to it, moves System\n"
    "Exclusive dumps, plays notes, turns controllers and sends MIDI clock.\n"
    "\n"
    "  FILE                  a project (.tarvo) to open, or a message file (.syx raw\n"
    "                        bytes, .txt hex text) to open in a new editor\n"
    "  --midi-system SYSTEM  auto, alsa or jack: the MIDI system of this run, over the\n"
    "                        choice in the MIDI Settings window. auto takes a running\n"
    "                        JACK server (jackd, or PipeWire's JACK) when one answers,\n"
    "                        else the ALSA sequencer\n"
    "  -h, --help            this text\n"
    "  -v, --version         the version\n"
    "\n"
    "The command-line tool tarvo-cli sends and receives without a display.\n";
const char* const VersionFormat = "%1 %2\n";
const char* const BadMidiSystemFormat = "--midi-system takes auto, alsa or jack, not \"%1\".";
const char* const MoreThanOneFileText = "Give at most one file to open.";
const char* const TryHelpText = "Try 'tarvo --help'.";

QString refusal(const QString& why)
{
    return why + QLatin1Char('\n') + QLatin1String(TryHelpText);
}

} // namespace

AppOptions parseAppArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QLatin1String(HelpShortOption), QLatin1String(HelpOption)});
    const QCommandLineOption version(QStringList{QLatin1String(VersionShortOption), QLatin1String(VersionOption)});
    const QCommandLineOption system(QLatin1String(MidiSystemOption), QStringLiteral(""), QLatin1String(MidiSystemValueName));
    parser.addOptions({help, version, system});
    const bool parsed = parser.parse(arguments);

    AppOptions options;
    if (parser.isSet(help)) {
        options.action = AppOptions::Action::Help;
        return options;
    }
    if (parser.isSet(version)) {
        options.action = AppOptions::Action::Version;
        return options;
    }
    options.action = AppOptions::Action::Refused;
    if (!parsed) {
        options.error = refusal(parser.errorText());
        return options;
    }
    if (parser.isSet(system)) {
        MidiSystem chosen = MidiSystem::Automatic;
        if (!parseMidiSystem(parser.value(system), &chosen)) {
            options.error = refusal(QString::fromLatin1(BadMidiSystemFormat).arg(parser.value(system)));
            return options;
        }
        options.system = chosen;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        options.error = refusal(QLatin1String(MoreThanOneFileText));
        return options;
    }
    options.file = files.value(0);
    options.action = AppOptions::Action::Run;
    return options;
}

QString appHelpText()
{
    return QLatin1String(HelpText);
}

QString appVersionText()
{
    return QString::fromLatin1(VersionFormat).arg(QLatin1String(ProductName), QLatin1String(ProductVersion));
}
