#pragma once

#include <QByteArray>
#include <QString>

// tarvo-cli's standard output and standard error, written straight to their
// descriptors: a full disk, /dev/full or a closed descriptor shows at the
// write that meets it, not in a buffer flushed at exit where nobody looks.
// The first failure of each stream is kept until the run ends.
namespace StandardStreams {

// First thing in main: a standard descriptor the caller closed gets /dev/null
// opened the wrong way round, so that no file the program opens later takes
// its number, and writes to it fail as they would on the closed stream.
void holdClosedDescriptors();

// False, with the failure kept, when not every byte could be written.
bool writeOutput(const QByteArray& bytes);
// A line for the user.
void writeError(const QString& line);

// The exit status of a run that ended with status: a failed write makes it
// ExitFailed, with the reason on standard error when that still takes it.
// A run refused as bad input or ended by a signal keeps its status, which
// says more.
int finish(int status);

} // namespace StandardStreams
