#include "cli/MidiSession.h"

#include "cli/CliTexts.h"
#include "cli/PortMatcher.h"
#include "midi/MidiInputPort.h"
#include "midi/MidiOutputPort.h"

MidiSession::MidiSession() = default;

MidiSession::~MidiSession() = default;

bool MidiSession::serviceAvailable()
{
    if (!m_client.serviceAvailable())
        m_client.refresh();
    return m_client.serviceAvailable();
}

MidiInputPort& MidiSession::inputPort()
{
    if (!m_pInputPort)
        m_pInputPort = std::make_unique<MidiInputPort>(&m_client);
    return *m_pInputPort;
}

MidiOutputPort& MidiSession::outputPort()
{
    if (!m_pOutputPort)
        m_pOutputPort = std::make_unique<MidiOutputPort>(&m_client);
    return *m_pOutputPort;
}

QStringList MidiSession::sourceNames()
{
    return inputPort().getInputPortNameList(nullptr);
}

QStringList MidiSession::destinationNames()
{
    return outputPort().getOutputPortNameList(nullptr);
}

bool MidiSession::openSource(const QString& wanted, QString* error)
{
    const QString name = pick(sourceNames(), wanted, SourcePortKind, error);
    if (name.isEmpty())
        return false;
    if (inputPort().openInputPort(name) == MIDI_RESULT_OK)
        return true;
    *error = QString::fromLatin1(PortOpenFailedFormat).arg(QLatin1String(SourcePortKind), name);
    return false;
}

bool MidiSession::openDestination(const QString& wanted, QString* error)
{
    const QString name = pick(destinationNames(), wanted, DestinationPortKind, error);
    if (name.isEmpty())
        return false;
    if (outputPort().openOutputPort(name) == MIDI_RESULT_OK)
        return true;
    *error = QString::fromLatin1(PortOpenFailedFormat).arg(QLatin1String(DestinationPortKind), name);
    return false;
}

void MidiSession::refresh()
{
    const bool endpointsChanged = m_client.refresh();
    if (m_pInputPort)
        m_pInputPort->refresh(endpointsChanged);
    if (m_pOutputPort)
        m_pOutputPort->refresh(endpointsChanged);
}

bool MidiSession::waitUntilSent(int timeoutMilliseconds)
{
    return m_client.platform().waitUntilSent(timeoutMilliseconds);
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
