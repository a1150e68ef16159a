#include "services/DumpFile.h"

#include "project/AtomicFile.h"
#include "project/Utility.h"
#include "services/HexTextChecker.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <iterator>

namespace {

const char* const SystemExclusiveSuffix = "syx";
const char* const DroppableSuffixes[] = {"txt", "syx"};
const char* const TooLargeText = QT_TRANSLATE_NOOP("DumpFile", "The file is larger than %1 MB.");
const char* const NotRegularText = QT_TRANSLATE_NOOP("DumpFile", "It is not a regular file.");
const char HexDigits[] = "0123456789ABCDEF";
const unsigned char FirstRealtime = 0xF8;
const unsigned char EndOfExclusive = 0xF7;

QString translated(const char* text)
{
    return QCoreApplication::translate("DumpFile", text);
}

} // namespace

bool DumpFile::isSystemExclusiveFile(const QString& path)
{
    return QFileInfo(path).suffix().compare(QLatin1String(SystemExclusiveSuffix), Qt::CaseInsensitive) == 0;
}

bool DumpFile::isDroppableFile(const QString& path)
{
    const QString suffix = QFileInfo(path).completeSuffix();
    return std::any_of(std::begin(DroppableSuffixes), std::end(DroppableSuffixes),
                       [&suffix](const char* extension) { return suffix == QLatin1String(extension); });
}

bool DumpFile::load(const QString& path, QString* text, QString* errorText)
{
    const QFileInfo info(path);
    // Opening a FIFO would wait for a writer for ever.
    if (info.exists() && !info.isFile()) {
        *errorText = translated(NotRegularText);
        return false;
    }
    if (info.size() > MaximumSize) {
        *errorText = translated(TooLargeText).arg(MaximumSize / (1024 * 1024));
        return false;
    }
    if (!isSystemExclusiveFile(path)) {
        if (Utility::loadAtTextFileName(path, *text))
            return true;
        QFile probe(path);
        probe.open(QIODevice::ReadOnly);
        *errorText = probe.errorString();
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *errorText = file.errorString();
        return false;
    }
    *text = bytesToText(file.readAll());
    return true;
}

bool DumpFile::save(const QString& path, const QString& text, QString* errorText)
{
    if (!isSystemExclusiveFile(path))
        return Utility::saveAtTextFileName(path, text, errorText);
    QByteArray bytes;
    HexTextChecker::Problem problem;
    if (!HexTextChecker::check(text, &bytes, &problem)) {
        *errorText = HexTextChecker::describe(text, problem);
        return false;
    }
    return writeFileAtomically(path, bytes, errorText);
}

QString DumpFile::bytesToText(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size() * 3);
    for (int index = 0; index < bytes.size(); ++index) {
        const auto byte = static_cast<unsigned char>(bytes.at(index));
        // A status byte that begins a message begins a line.
        const bool beginsMessage = (byte & 0x80u) && byte < FirstRealtime && byte != EndOfExclusive;
        if (index > 0)
            text.append(beginsMessage ? QLatin1Char('\n') : QLatin1Char(' '));
        text.append(QLatin1Char(HexDigits[byte >> 4]));
        text.append(QLatin1Char(HexDigits[byte & 0x0F]));
    }
    return text;
}
