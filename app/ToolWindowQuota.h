#pragma once

#include <QHash>

// How many tool windows of each kind one settings file or project may
// create: single-instance kinds once, the others as often as the Views menu
// allows, and no more than RestoredToolWindowLimit in all. A crafted file
// with thousands of records would otherwise start a thread per window.
class ToolWindowQuota
{
public:
    // Also the Views menu's limit for the kinds that open several windows.
    static constexpr int MultiInstanceLimit = 16;
    static constexpr int RestoredToolWindowLimit = 64;

    // Kinds the Views menu opens several windows of.
    static bool isMultiInstance(int windowId);

    // True, and counted, when one more window of this kind may be created.
    bool take(int windowId);

private:
    QHash<int, int> m_counts;
    int m_total = 0;
};
