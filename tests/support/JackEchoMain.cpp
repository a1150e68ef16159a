// tarvo-jackecho [NAME]
// Creates the JACK client NAME ("echo" unless given) with the ports NAME:in
// and NAME:out; every event arriving at NAME:in leaves NAME:out in the same
// cycle at the same frame. Runs until interrupted, then prints what it
// echoed. For round-trip measurements by hand.

#include "JackEcho.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t stopped = 0;

void stop(int)
{
    stopped = 1;
}

} // namespace

int main(int argc, char* argv[])
{
    JackEcho echo(QString::fromLocal8Bit(argc > 1 ? argv[1] : "echo"));
    if (!echo.isOpen()) {
        std::fprintf(stderr, "no JACK server to join\n");
        return 1;
    }
    std::printf("echoing %s -> %s\n", qPrintable(echo.inputPortName()), qPrintable(echo.outputPortName()));
    std::fflush(stdout);
    std::signal(SIGINT, stop);
    std::signal(SIGTERM, stop);
    while (!stopped)
        pause();
    std::printf("%lu echoed, %lu dropped\n", echo.echoed(), echo.dropped());
    return 0;
}
