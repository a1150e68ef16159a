#include "cli/DumpInputs.h"

#include "cli/CliTexts.h"
#include "services/DumpFile.h"
#include "services/HexTextChecker.h"

namespace {

bool checkText(const QString& source, const QString& text, std::size_t maxSystemExclusive, QList<QByteArray>* inputs,
               QString* error)
{
    QByteArray bytes;
    HexTextChecker::Problem problem;
    if (!HexTextChecker::check(text, &bytes, &problem, maxSystemExclusive)) {
        *error = QString::fromLatin1(InputProblemFormat).arg(source, HexTextChecker::describe(text, problem));
        return false;
    }
    // A script that sends nothing has a wrong name or an empty file; ending well would hide it.
    if (bytes.isEmpty()) {
        *error = QString::fromLatin1(InputProblemFormat).arg(source, QLatin1String(EmptyInputText));
        return false;
    }
    inputs->append(bytes);
    return true;
}

} // namespace

bool loadDumpInputs(const CliOptions& options, QList<QByteArray>* inputs, QString* error)
{
    if (options.hasHex)
        return checkText(QLatin1String(HexTextSource), options.hex, options.maxSystemExclusive, inputs, error);
    for (const QString& path : options.files) {
        QString text;
        QString reason;
        if (!DumpFile::load(path, &text, &reason)) {
            *error = QString::fromLatin1(InputProblemFormat).arg(path, reason);
            return false;
        }
        if (!checkText(path, text, options.maxSystemExclusive, inputs, error))
            return false;
    }
    return true;
}
