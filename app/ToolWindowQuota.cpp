#include "app/ToolWindowQuota.h"

#include "project/WindowRestorationInfo.h"

bool ToolWindowQuota::isMultiInstance(int windowId)
{
    return windowId >= WindowRestorationInfo::WindowIdSystemExclusive
        && windowId <= WindowRestorationInfo::WindowIdProgramChange;
}

bool ToolWindowQuota::take(int windowId)
{
    const int limit = isMultiInstance(windowId) ? MultiInstanceLimit : 1;
    int& count = m_counts[windowId];
    if (count >= limit || m_total >= RestoredToolWindowLimit)
        return false;
    ++count;
    ++m_total;
    return true;
}
