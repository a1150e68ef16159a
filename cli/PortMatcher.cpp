#include "cli/PortMatcher.h"

PortMatcher::Result PortMatcher::match(const QStringList& names, const QString& wanted, QString* match,
                                       QStringList* candidates)
{
    if (names.contains(wanted)) {
        *match = wanted;
        return Result::Found;
    }
    // A name listed twice is one port to choose as far as the script can tell.
    candidates->clear();
    for (const QString& name : names) {
        if (name.contains(wanted, Qt::CaseInsensitive) && !candidates->contains(name))
            candidates->append(name);
    }
    if (candidates->size() == 1)
        *match = candidates->first();
    return candidates->isEmpty() ? Result::NotFound
                                 : candidates->size() == 1 ? Result::Found : Result::Ambiguous;
}
