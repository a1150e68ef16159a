#include "cli/CliTexts.h"

const char* const ProgramName = "tarvo-cli";

const char* const HelpText =
    "Usage:\n"
    "  tarvo-cli ports\n"
    "  tarvo-cli send --to PORT [--interval MS] [--chunk BYTES] [--rate BYTES_PER_S] (FILE... | --hex TEXT)\n"
    "  tarvo-cli send --to PORT [--chunk BYTES] [--rate BYTES_PER_S] FILE.mid\n"
    "  tarvo-cli receive --from PORT [--count N] [--timeout S] [--sysex-only] [--timestamp] [--out FILE]\n"
    "  tarvo-cli request --to PORT --from PORT [--count N] [--timeout S] [--timestamp] [--out FILE]\n"
    "                    [--interval MS] [--chunk BYTES] [--rate BYTES_PER_S] (FILE... | --hex TEXT)\n"
    "  tarvo-cli latency --to PORT --from PORT [--count N] [--interval MS] [--hex MESSAGE]\n"
    "  tarvo-cli --help | --version\n"
    "Every command also takes --midi-system SYSTEM.\n"
    "\n"
    "Sends and receives MIDI, System Exclusive dumps above all, from scripts, through the\n"
    "MIDI engine of Tarvo Suite: a running JACK server (jackd, or PipeWire's JACK) when one\n"
    "answers, otherwise the ALSA sequencer, or the one --midi-system names. No display is\n"
    "needed. Data goes to standard output, messages to standard error.\n"
    "\n"
    "Commands:\n"
    "  ports     One line per port: \"in<TAB>NAME\" for each source to receive from,\n"
    "            \"out<TAB>NAME\" for each destination to send to; the MIDI system in use\n"
    "            (\"MIDI: JACK\") on standard error.\n"
    "  send      Checks every input whole, then sends it. A FILE ending in .syx (in any\n"
    "            letter case) holds raw bytes; any other file, and --hex, is hex text as\n"
    "            the message editor takes it: pairs of hex digits separated by spaces,\n"
    "            commas, tabs or line breaks, running status allowed. Text that fails the\n"
    "            check, and an input without a byte, sends nothing. Ends once the last\n"
    "            byte has left for the destination. A Standard MIDI File (.mid or .midi,\n"
    "            in any letter case; given alone) is played instead: each message at its\n"
    "            time, tempo changes honoured, System Exclusive whole; a damaged file is\n"
    "            refused with the byte of the fault. Ends once the last message has left;\n"
    "            an interrupt silences the notes left on (Note Off, All Notes Off).\n"
    "  receive   Prints each message that arrives as a monitor line (hex bytes, with\n"
    "            --timestamp the time \"HH:MM:SS:mmm\" first), or with --out writes them to\n"
    "            a file. Without --count and --timeout it runs until interrupted (Ctrl+C),\n"
    "            then ends normally. With --out FILE.mid (or .midi) it records a Standard\n"
    "            MIDI File: every message at its arrival time, to 20 microseconds, and a\n"
    "            text event wherever messages were lost.\n"
    "  request   Starts listening, sends as send does, then collects the System Exclusive\n"
    "            replies as receive --sysex-only does. Defaults: --count 1, --timeout 5.\n"
    "  latency   Measures round trips through a device that echoes (MIDI Thru, an echo\n"
    "            mode) or a loopback cable: sends a probe --count times (default 100),\n"
    "            one every --interval MS (default 20), and times each echo. The probe is a\n"
    "            Note On and Note Off of middle C, or the one message of --hex (not\n"
    "            Active Sensing). An echo not back within 1 s (or 10 intervals, if longer)\n"
    "            is lost. The last line is \"min=... median=... p99=... max=... lost=N\",\n"
    "            the times in milliseconds.\n"
    "\n"
    "Options:\n"
    "  --to PORT           Destination to send to.\n"
    "  --from PORT         Source to receive from.\n"
    "                      A PORT is taken by its exact name, else by a part of one name\n"
    "                      (letter case ignored) that no other port's name contains.\n"
    "  --hex TEXT          Hex text to send instead of files.\n"
    "  --interval MS       Pause after each message that ends with F7 (default 0);\n"
    "                      latency: the time between probes.\n"
    "  --chunk BYTES       Longer messages go out in pieces of this size (default 256);\n"
    "                      no more than the MIDI system carries in one piece (JACK: 16384).\n"
    "  --rate BYTES_PER_S  Bytes per second at most; 0 sends as fast as the port takes\n"
    "                      (default 0).\n"
    "  --count N           End after N messages; latency: the number of probes.\n"
    "  --timeout S         End after S seconds (fractions allowed), counted from when\n"
    "                      sending ended for request. A dump at the 3,125 bytes a second\n"
    "                      of a MIDI cable needs about a second for each 3 KB.\n"
    "  --sysex-only        Keep System Exclusive messages only.\n"
    "  --timestamp         Start each printed line with the time of arrival.\n"
    "  --out FILE          Write what arrived to FILE instead of printing it: raw bytes to a\n"
    "                      FILE ending in .syx, a Standard MIDI File to one ending in .mid\n"
    "                      or .midi, hex text, a message a line, to any other.\n"
    "                      FILE is checked before anything starts, and replaced only at the\n"
    "                      end, whole, and only when a message arrived: when none did, an\n"
    "                      old FILE stays as it was.\n"
    "  --max-sysex KIB     Longest System Exclusive message sent or received, in KiB\n"
    "                      (default 1024). Longer ones are refused when sending and dropped,\n"
    "                      with a warning, when receiving.\n"
    "  --midi-system SYSTEM  auto (the default), alsa or jack: the MIDI system to use;\n"
    "                      one that cannot be opened ends with 2 and says why.\n"
    "  -h, --help          This text.\n"
    "  -v, --version       The version.\n"
    "\n"
    "Exit status:\n"
    "  0    Done.\n"
    "  1    The timeout passed, or an interrupt came, before the --count messages arrived;\n"
    "       what did arrive is printed or written all the same; or the MIDI system had\n"
    "       xruns while receiving, so a message may lack bytes. Latency: a probe was lost.\n"
    "  2    Bad arguments, a file that cannot be read, text that fails the check (the\n"
    "       message names the file, line and column), an input without a byte, an --out\n"
    "       FILE that cannot be written, a --chunk larger than the MIDI system carries,\n"
    "       no MIDI system, or no such port; receive: the MIDI system went away.\n"
    "  3    MIDI or output failure after starting: the destination or the MIDI service\n"
    "       went away while sending, or standard output, standard error or the --out\n"
    "       FILE could not be written (a full disk, say); the reason is on standard\n"
    "       error. A run that ends with 2 or by a signal keeps that status.\n"
    "  128+signal  Sending was interrupted (130 for Ctrl+C). A System Exclusive message\n"
    "       cut short is ended with F7, so the receiver starts anew.\n"
    "\n"
    "Examples:\n"
    "  tarvo-cli ports\n"
    "  tarvo-cli send --to 'synth:midi_in' --interval 50 patches.syx\n"
    "  tarvo-cli send --to synth --hex 'F0 7E 7F 06 01 F7'\n"
    "  tarvo-cli request --to synth --from synth --hex 'F0 7E 7F 06 01 F7'\n"
    "  tarvo-cli request --to synth --from synth --count 3 --timeout 20 --out bank.syx dump-request.txt\n"
    "  tarvo-cli receive --from synth --sysex-only --count 1 --timeout 60 --out dump.syx\n"
    "  tarvo-cli receive --from keyboard --timestamp\n"
    "  tarvo-cli receive --from keyboard --out take1.mid\n"
    "  tarvo-cli send --to synth take1.mid\n"
    "  tarvo-cli latency --to synth --from synth --count 1000 --interval 5\n";

const char* const VersionFormat = "%1 (%2) %3";
const char* const TryHelpText = "Try 'tarvo-cli --help'.";

const char* const NoCommandText = "No command given.";
const char* const UnknownCommandFormat = "Unknown command '%1'.";
const char* const OptionNotForCommandFormat = "--%1 does not go with %2.";
const char* const MissingOptionFormat = "%1 needs --%2.";
const char* const BadNumberFormat = "--%1 takes a number from %2 to %3, not '%4'.";
const char* const NothingToSendText = "Nothing to send: give files or --hex.";
const char* const FileAndHexText = "Give either files or --hex, not both.";
const char* const UnexpectedArgumentFormat = "Unexpected argument '%1'.";
const char* const MidiFileAloneText = "A MIDI file is played by send, alone: no other file with it.";
const char* const HexTextSource = "--hex";
const char* const InputProblemFormat = "%1: %2";
const char* const EmptyInputText = "Nothing to send: it holds no byte.";

const char* const BadMidiSystemFormat = "--midi-system takes auto, alsa or jack, not \"%1\".";
const char* const MidiSystemFormat = "MIDI: %1";
const char* const ChunkTooLargeFormat = "--chunk %1 is more than %2 carries in one piece (%3 bytes).";
const char* const NoSuchPortFormat = "No %1 fits '%2'. Known: %3";
const char* const AmbiguousPortFormat = "'%2' fits more than one %1: %3";
const char* const PortListSeparator = ", ";
const char* const NoPortsText = "none";
const char* const PortOpenFailedFormat = "The %1 '%2' cannot be opened.";
const char* const SourcePortKind = "source";
const char* const DestinationPortKind = "destination";
const char* const SourceListPrefix = "in\t";
const char* const DestinationListPrefix = "out\t";

const char* const SendFailedFormat = "Sending failed after %1 bytes: the destination or the MIDI service went away.";
const char* const NotDeliveredText = "The last bytes did not leave for the destination.";
const char* const NotDeliveredFormat = "%1 of %2 bytes left for the destination; the rest did not.";
const char* const ServiceLostFormat = "Receiving ended: the MIDI service went away. %1";
const char* const SendCancelledFormat = "Interrupted after %1 bytes.";
const char* const LostMessagesFormat = "%1 messages lost: they came faster than they could be taken.";
const char* const TooLongDroppedFormat = "A System Exclusive message longer than %1 bytes was dropped.";
const char* const CutShortDroppedFormat
    = "A System Exclusive message was cut short by another message after %1 bytes and dropped.";
const char* const TimedOutFormat = "%1 of %2 messages arrived.";
const char* const XrunsFormat = "%1 xruns of the MIDI system while receiving: a message arriving across one may lack bytes.";
const char* const WriteFailedFormat = "%1 cannot be written: %2";
const char* const OutNotWrittenFormat = "Nothing arrived: %1 was not written.";
const char* const OutputFailedFormat = "tarvo-cli: cannot write to standard output: %1";

const char* const PlayFailedFormat = "%1 messages could not be sent: the destination or the MIDI service went away.";
const char* const PlayInterruptedText = "Interrupted; the notes left on were silenced.";
const char* const LatencyFiguresFormat = "min=%1 median=%2 p99=%3 max=%4 lost=%5";
const char* const ProbesLostFormat = "%1 of %2 probes did not come back within %3 s.";
const char* const ProbesFailedFormat = "%1 probes could not be sent: the destination or the MIDI service went away.";
