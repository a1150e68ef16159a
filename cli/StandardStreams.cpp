#include "cli/StandardStreams.h"

#include "cli/CliTexts.h"
#include "project/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// errno of the first failed write of each stream; 0 while all went well.
int outputError = 0;
int errorStreamError = 0;

bool writeStream(int descriptor, const QByteArray& bytes, int* firstError)
{
    if (*firstError != 0)
        return false;
    if (writeToDescriptor(descriptor, bytes.constData(), static_cast<std::size_t>(bytes.size())))
        return true;
    *firstError = errno;
    return false;
}

const char* const NullDevice = "/dev/null";

} // namespace

void StandardStreams::holdClosedDescriptors()
{
    for (const int descriptor : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(descriptor, F_GETFD) >= 0)
            continue;
        // The lowest free number is the closed one: those below it are open by now.
        // A stream that cannot be held is never written, since its number may go to a file.
        if (::open(NullDevice, descriptor == STDIN_FILENO ? O_WRONLY : O_RDONLY) != descriptor) {
            if (descriptor == STDOUT_FILENO)
                outputError = EBADF;
            else if (descriptor == STDERR_FILENO)
                errorStreamError = EBADF;
        }
    }
}

bool StandardStreams::writeOutput(const QByteArray& bytes)
{
    return writeStream(STDOUT_FILENO, bytes, &outputError);
}

void StandardStreams::writeError(const QString& line)
{
    writeStream(STDERR_FILENO, (line + QLatin1Char('\n')).toLocal8Bit(), &errorStreamError);
}

int StandardStreams::finish(int status)
{
    if (outputError != 0)
        writeError(QString::fromLatin1(OutputFailedFormat).arg(qt_error_string(outputError)));
    if ((outputError == 0 && errorStreamError == 0) || status == ExitBadInput || status >= ExitSignalBase)
        return status;
    return ExitFailed;
}
