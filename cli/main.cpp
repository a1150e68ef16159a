// tarvo-cli: the display-less companion of Tarvo Suite for scripts. See
// CliTexts.cpp for what it does and how it ends.
#include "services/ProductInfo.h"
#include "cli/CliTexts.h"
#include "cli/CommandLine.h"
#include "cli/DumpInputs.h"
#include "cli/LatencyRun.h"
#include "cli/MidiSession.h"
#include "cli/StandardStreams.h"
#include "cli/Transfer.h"
#include "services/MidiFileReader.h"

#include <QCoreApplication>

namespace {

int listPorts(const CliOptions& options)
{
    MidiSession session(options.system);
    QString problem;
    if (!session.serviceAvailable(&problem)) {
        StandardStreams::writeError(problem);
        return ExitBadInput;
    }
    // Which system the names come from, for whoever reads them.
    StandardStreams::writeError(QString::fromLatin1(MidiSystemFormat).arg(session.engine().systemName()));
    QString lines;
    for (const QString& name : session.sourceNames())
        lines += QLatin1String(SourceListPrefix) + name + QLatin1Char('\n');
    for (const QString& name : session.destinationNames())
        lines += QLatin1String(DestinationListPrefix) + name + QLatin1Char('\n');
    return StandardStreams::writeOutput(lines.toLocal8Bit()) ? ExitDone : ExitFailed;
}

int transfer(const CliOptions& options)
{
    QList<QByteArray> inputs;
    QString error;
    if (options.playsMidiFile()) {
        const QString& path = options.files.first();
        MidiFileReader::Content content;
        if (!MidiFileReader::load(path, &content, &error)) {
            StandardStreams::writeError(QString::fromLatin1(InputProblemFormat).arg(path, error));
            return ExitBadInput;
        }
        Transfer transfer(options);
        return transfer.play(content.messages, content.duration);
    }
    if (options.sends() && !loadDumpInputs(options, &inputs, &error)) {
        StandardStreams::writeError(error);
        return ExitBadInput;
    }
    Transfer transfer(options);
    return transfer.run(inputs);
}

int run(const CliOptions& options)
{
    switch (options.command) {
    case CliOptions::Command::Help:
        return StandardStreams::writeOutput(QByteArray(HelpText)) ? ExitDone : ExitFailed;
    case CliOptions::Command::Version: {
        const QString version = QString::fromLatin1(VersionFormat)
                                    .arg(QLatin1String(ProgramName), QLatin1String(ProductName),
                                         QLatin1String(ProductVersion));
        return StandardStreams::writeOutput(version.toLocal8Bit() + '\n') ? ExitDone : ExitFailed;
    }
    case CliOptions::Command::Ports:
        return listPorts(options);
    case CliOptions::Command::Latency: {
        LatencyRun latency(options);
        return latency.run();
    }
    default:
        return transfer(options);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    StandardStreams::holdClosedDescriptors();
    QCoreApplication application(argc, argv);
    application.setApplicationName(QLatin1String(ProgramName));
    application.setApplicationVersion(QLatin1String(ProductVersion));
    CliOptions options;
    QString error;
    if (!parseCommandLine(QCoreApplication::arguments(), &options, &error)) {
        StandardStreams::writeError(error);
        StandardStreams::writeError(QLatin1String(TryHelpText));
        return StandardStreams::finish(ExitBadInput);
    }
    // A failed write anywhere in the run, to either stream, decides its status here.
    return StandardStreams::finish(run(options));
}
