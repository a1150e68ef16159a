#include "cli/MidiSession.h"

#include "cli/CliTexts.h"
#include "cli/PortMatcher.h"

MidiSession::MidiSession(MidiSystem system)
    : m_engine(QLatin1String(ProgramName), system)
{
}

MidiSession::~MidiSession() = default;

bool MidiSession::serviceAvailable(QString* problem)
{
    if (!m_engine.client().serviceAvailable())
        m_engine.refresh();
    *problem = m_engine.serviceProblem();
    return problem->isEmpty();
}

QStringList MidiSession::sourceNames()
{
    return m_engine.inputPort().getInputPortNameList(nullptr);
}

QStringList MidiSession::destinationNames()
{
    return m_engine.outputPort().getOutputPortNameList(nullptr);
}

bool MidiSession::openSource(const QString& wanted, QString* error)
{
    const QString name = pick(sourceNames(), wanted, SourcePortKind, error);
    if (name.isEmpty())
        return false;
    if (m_engine.inputPort().openInputPort(name) == MIDI_RESULT_OK)
        return true;
    *error = QString::fromLatin1(PortOpenFailedFormat).arg(QLatin1String(SourcePortKind), name);
    return false;
}

bool MidiSession::openDestination(const QString& wanted, QString* error)
{
    const QString name = pick(destinationNames(), wanted, DestinationPortKind, error);
    if (name.isEmpty())
        return false;
    if (m_engine.outputPort().openOutputPort(name) == MIDI_RESULT_OK)
        return true;
    *error = QString::fromLatin1(PortOpenFailedFormat).arg(QLatin1String(DestinationPortKind), name);
    return false;
}

QString MidiSession::pick(const QStringList& names, const QString& wanted, const char* kind, QString* error)
{
    QString name;
    QStringList candidates;
    switch (PortMatcher::match(names, wanted, &name, &candidates)) {
    case PortMatcher::Result::Found:
        return name;
    case PortMatcher::Result::Ambiguous:
        *error = QString::fromLatin1(AmbiguousPortFormat)
                     .arg(QLatin1String(kind), wanted, candidates.join(QLatin1String(PortListSeparator)));
        break;
    case PortMatcher::Result::NotFound:
        *error = QString::fromLatin1(NoSuchPortFormat)
                     .arg(QLatin1String(kind), wanted,
                          names.isEmpty() ? QString::fromLatin1(NoPortsText)
                                          : names.join(QLatin1String(PortListSeparator)));
        break;
    }
    return QString();
}
