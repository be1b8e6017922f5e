#pragma once
// The exit codes of 719k, as its --help, the manual and the README document
// them.

inline constexpr int kExitDone = 0;
// The instrument did not answer or did not confirm (partial results are
// still written), or the output could not be written.
inline constexpr int kExitFailed = 1;
// Usage error, the argument parser's own included: nothing was sent.
inline constexpr int kExitUsage = 2;
// The port could not be opened or is in use.
inline constexpr int kExitPortUnavailable = 3;
// The survey archive could not be opened, written or verified.
inline constexpr int kExitArchive = 4;
// The shell's codes for the signals that stop 719k: 128 and the signal's
// number (SIGHUP 1, SIGINT 2, SIGTERM 15).
inline constexpr int kExitHangup = 129;
inline constexpr int kExitInterrupted = 130;
inline constexpr int kExitTerminated = 143;

inline constexpr const char* kExitCodesHelp =
    "Exit codes:\n"
    "  0    done\n"
    "  1    the instrument did not answer or did not confirm (partial results are\n"
    "       still written), or the output could not be written\n"
    "  2    usage error: nothing was sent\n"
    "  3    the port could not be opened or is in use\n"
    "  4    the survey archive could not be opened, written or verified\n"
    "  129  the terminal was closed (SIGHUP)\n"
    "  130  interrupted (Ctrl-C, Ctrl-Break)\n"
    "  143  stopped (SIGTERM)\n";
