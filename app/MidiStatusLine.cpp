#include "app/MidiStatusLine.h"

#include <QLocale>
#include <QStringList>

namespace {

const char* const SystemFormat = QT_TRANSLATE_NOOP("MidiStatusLine", "MIDI: %1");
const char* const NoPortChosenText =
    QT_TRANSLATE_NOOP("MidiStatusLine", "No port chosen: choose one in the InputPort or OutputPort menu");
const char* const Separator = "  |  ";
const char* const ListSeparator = ", ";

struct ProblemText
{
    quint64 MidiEngine::Problems::*count;
    const char* text;
};

const ProblemText ProblemTexts[] = {
    {&MidiEngine::Problems::failedSends, QT_TRANSLATE_NOOP("MidiStatusLine", "%1 not sent")},
    {&MidiEngine::Problems::cutSends, QT_TRANSLATE_NOOP("MidiStatusLine", "%1 sent cut short")},
    {&MidiEngine::Problems::lostReceived, QT_TRANSLATE_NOOP("MidiStatusLine", "%1 lost on input")},
    {&MidiEngine::Problems::tooLongReceived, QT_TRANSLATE_NOOP("MidiStatusLine", "%1 too long on input")},
    {&MidiEngine::Problems::cutReceived, QT_TRANSLATE_NOOP("MidiStatusLine", "%1 cut short on input")},
    {&MidiEngine::Problems::xruns, QT_TRANSLATE_NOOP("MidiStatusLine", "%1 xruns")},
};

} // namespace

MidiStatusLine::MidiStatusLine(QWidget* parent)
    : QLabel(parent)
{
    setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void MidiStatusLine::setSystem(const QString& system)
{
    if (system != m_system) {
        m_system = system;
        showText();
    }
}

void MidiStatusLine::setProblems(const MidiEngine::Problems& problems)
{
    if (problems != m_problems) {
        m_problems = problems;
        showText();
    }
}

void MidiStatusLine::setNoPortChosen(bool noPortChosen)
{
    if (noPortChosen != m_noPortChosen) {
        m_noPortChosen = noPortChosen;
        showText();
    }
}

QString MidiStatusLine::problemsText(const MidiEngine::Problems& problems)
{
    const QLocale locale;
    QStringList parts;
    for (const ProblemText& problem : ProblemTexts) {
        const quint64 count = problems.*problem.count;
        if (count > 0)
            parts << tr(problem.text).arg(locale.toString(count));
    }
    return parts.join(QLatin1String(ListSeparator));
}

void MidiStatusLine::showText()
{
    QStringList parts{tr(SystemFormat).arg(m_system)};
    const QString problems = problemsText(m_problems);
    if (!problems.isEmpty())
        parts << problems;
    if (m_noPortChosen)
        parts << tr(NoPortChosenText);
    setText(parts.join(QLatin1String(Separator)));
}
