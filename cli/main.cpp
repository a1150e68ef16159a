// tarvo-cli: the display-less companion of Tarvo Suite for scripts. See
// CliTexts.cpp for what it does and how it ends.
#include "services/ProductInfo.h"
#include "cli/CliTexts.h"
#include "cli/CommandLine.h"
#include "cli/DumpInputs.h"
#include "cli/MidiSession.h"
#include "cli/Transfer.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

int listPorts()
{
    MidiSession session;
    if (!session.serviceAvailable()) {
        QTextStream(stderr) << NoServiceText << '\n';
        return ExitBadInput;
    }
    QTextStream out(stdout);
    for (const QString& name : session.sourceNames())
        out << SourceListPrefix << name << '\n';
    for (const QString& name : session.destinationNames())
        out << DestinationListPrefix << name << '\n';
    return ExitDone;
}

int transfer(const CliOptions& options)
{
    QList<QByteArray> inputs;
    QString error;
    if (options.sends() && !loadDumpInputs(options, &inputs, &error)) {
        QTextStream(stderr) << error << '\n';
        return ExitBadInput;
    }
    Transfer transfer(options);
    return transfer.run(inputs);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    application.setApplicationName(QLatin1String(ProgramName));
    application.setApplicationVersion(QLatin1String(ProductVersion));
    CliOptions options;
    QString error;
    if (!parseCommandLine(QCoreApplication::arguments(), &options, &error)) {
        QTextStream(stderr) << error << '\n' << TryHelpText << '\n';
        return ExitBadInput;
    }
    switch (options.command) {
    case CliOptions::Command::Help:
        QTextStream(stdout) << HelpText;
        return ExitDone;
    case CliOptions::Command::Version:
        QTextStream(stdout) << QString::fromLatin1(VersionFormat)
                                   .arg(QLatin1String(ProgramName), QLatin1String(ProductName),
                                        QLatin1String(ProductVersion))
                            << '\n';
        return ExitDone;
    case CliOptions::Command::Ports:
        return listPorts();
    default:
        return transfer(options);
    }
}
