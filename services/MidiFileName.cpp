#include "services/MidiFileName.h"

#include <QFileInfo>

#include <algorithm>
#include <iterator>

namespace {

const char* const Suffixes[] = {"mid", "midi"};
const char* const AddedSuffix = ".mid";

} // namespace

bool MidiFileName::isMidiFile(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    return std::any_of(std::begin(Suffixes), std::end(Suffixes), [&suffix](const char* midi) {
        return suffix.compare(QLatin1String(midi), Qt::CaseInsensitive) == 0;
    });
}

QString MidiFileName::withSuffix(const QString& path)
{
    return isMidiFile(path) ? path : path + QLatin1String(AddedSuffix);
}
