#pragma once

#include <QString>
#include <QStringList>

// Picks the port a script names: the exact name first, else the one name
// that holds the given text, letter case ignored.
class PortMatcher
{
public:
    enum class Result { Found, NotFound, Ambiguous };

    // *match receives the name found; *candidates the names that hold the
    // text when more than one does.
    static Result match(const QStringList& names, const QString& wanted, QString* match, QStringList* candidates);
};
