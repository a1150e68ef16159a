#pragma once

#include <QString>
#include <QtGlobal>

// A length of time as the views show it: "1:05.250", hours first when there
// are any ("2:01:05.250").
namespace DurationText {

QString of(qint64 microseconds, int decimals = 3);

} // namespace DurationText
