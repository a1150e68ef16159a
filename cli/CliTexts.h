#pragma once

// What tarvo-cli tells its user and its caller: the exit statuses and the
// fixed texts, in one place.

enum ExitStatus : int {
    ExitDone = 0,
    // The timeout passed, or a signal came, before the messages asked for
    // arrived, or xruns may have cut what arrived; latency: a probe did not
    // come back.
    ExitTimedOut = 1,
    // Bad arguments, an unreadable file, text that fails the check, an input
    // without a byte, an --out file that cannot be written, no such port.
    ExitBadInput = 2,
    // MIDI or output failure after starting: the destination or the MIDI
    // service went away while sending, or standard output, standard error or
    // the --out file could not be written.
    ExitFailed = 3,
    // A signal cancelled sending: 128 and its number, as shells report it.
    ExitSignalBase = 128,
};

extern const char* const ProgramName;
extern const char* const HelpText;
// "%1 (%2) %3": program, product, version.
extern const char* const VersionFormat;
extern const char* const TryHelpText;

extern const char* const NoCommandText;
extern const char* const UnknownCommandFormat;
extern const char* const OptionNotForCommandFormat;
extern const char* const MissingOptionFormat;
extern const char* const BadNumberFormat;
extern const char* const NothingToSendText;
extern const char* const FileAndHexText;
extern const char* const UnexpectedArgumentFormat;
extern const char* const MidiFileAloneText;
extern const char* const HexTextSource;
// "%1: %2": a file or --hex, and what is wrong with it.
extern const char* const InputProblemFormat;
extern const char* const EmptyInputText;

extern const char* const BadMidiSystemFormat;
extern const char* const MidiSystemFormat;
extern const char* const ChunkTooLargeFormat;
extern const char* const NoSuchPortFormat;
extern const char* const AmbiguousPortFormat;
extern const char* const PortListSeparator;
extern const char* const NoPortsText;
extern const char* const PortOpenFailedFormat;
extern const char* const SourcePortKind;
extern const char* const DestinationPortKind;
extern const char* const SourceListPrefix;
extern const char* const DestinationListPrefix;

extern const char* const SendFailedFormat;
extern const char* const NotDeliveredText;
extern const char* const NotDeliveredFormat;
extern const char* const ServiceLostFormat;
extern const char* const SendCancelledFormat;
extern const char* const LostMessagesFormat;
extern const char* const TooLongDroppedFormat;
extern const char* const CutShortDroppedFormat;
extern const char* const TimedOutFormat;
extern const char* const XrunsFormat;
extern const char* const WriteFailedFormat;
extern const char* const OutNotWrittenFormat;
extern const char* const OutputFailedFormat;

extern const char* const PlayFailedFormat;
extern const char* const PlayInterruptedText;
// "min=%1 median=%2 p99=%3 max=%4 lost=%5", milliseconds with three decimals.
extern const char* const LatencyFiguresFormat;
extern const char* const ProbesLostFormat;
extern const char* const ProbesFailedFormat;
