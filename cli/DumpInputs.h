#pragma once

#include "cli/CommandLine.h"

#include <QByteArray>
#include <QList>

// Reads what a send or request is to send: each file (raw bytes in .syx,
// hex text in any other) or the --hex text, loaded and checked whole as the
// message editor does. False, with the source and the place of the first
// problem in error, when any of them cannot be read, fails the check or
// holds no byte.
bool loadDumpInputs(const CliOptions& options, QList<QByteArray>* inputs, QString* error);
