// Feeds arbitrary bytes to the project file parser: whatever the bytes claim,
// parsing ends with a result code and never crashes, hangs or allocates what
// the file claims. Applying a parsed project touches only what parsing
// checked, so no window is needed here.

#include "project/ProjectFileHelper.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>

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
    }
    return 0;
}
