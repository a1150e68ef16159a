#include "services/DumpFile.h"

#include "project/AtomicFile.h"
#include "project/Utility.h"
#include "engine/HexText.h"
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
    const QString suffix = QFileInfo(path).suffix();
    return std::any_of(std::begin(DroppableSuffixes), std::end(DroppableSuffixes), [&suffix](const char* extension) {
        return suffix.compare(QLatin1String(extension), Qt::CaseInsensitive) == 0;
    });
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
    QByteArray text;
    HexText::appendBytes(text, reinterpret_cast<const unsigned char*>(bytes.constData()),
                         static_cast<std::size_t>(bytes.size()), true);
    // The first message needs no line break before it.
    return QString::fromLatin1(text.startsWith('\n') ? text.mid(1) : text);
}
