// Feeds arbitrary bytes to the project file parser: whatever the bytes claim,
// parsing ends with a result code and never crashes, hangs or allocates what
// the file claims. Applying a parsed project touches only what parsing
// checked, so no window is needed here.

#include "project/ContentBlock.h"
#include "project/ProjectFileHelper.h"

#include <QByteArray>
#include <QDataStream>

#include <cstddef>
#include <cstdint>

namespace {

bool readBlock(int windowId, const QByteArray& bytes, ContentValues& values)
{
    QDataStream stream(bytes);
    ProjectFileHelper::prepareStream(stream);
    return ContentBlock::read(windowId, stream, values);
}

// A block that parsed is read whole by its view, and what the view would
// write back reads to the same values.
bool blockKeepsItsValues(int windowId, const QByteArray& bytes)
{
    ContentValues values;
    if (!readBlock(windowId, bytes, values))
        return false;
    QByteArray written;
    QDataStream stream(&written, QIODevice::WriteOnly);
    ProjectFileHelper::prepareStream(stream);
    ContentValues again;
    return ContentBlock::write(windowId, values, stream) && readBlock(windowId, written, again)
        && again.integers == values.integers && again.text.value_or(QString()) == values.text.value_or(QString());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    ProjectFileHelper helper;
    ProjectFileHelper::ProjectDescription description;
    if (helper.parseBytes(bytes, description) == ProjectFileHelper::ReadOk) {
        // A parsed project writes back to bytes that parse to the same windows.
        ProjectFileHelper::ProjectDescription again;
        if (helper.parseBytes(helper.serialize(description), again) != ProjectFileHelper::ReadOk
            || again.toolWindows.size() != description.toolWindows.size())
            __builtin_trap();
        for (const ProjectFileHelper::ToolWindowRecord& record : description.toolWindows) {
            if (!blockKeepsItsValues(record.info.windowId, record.content))
                __builtin_trap();
        }
    }
    return 0;
}
