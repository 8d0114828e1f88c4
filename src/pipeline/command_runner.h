#pragma once

#include <string>

namespace brevora {

class CancelEvent;
class RunLog;

// Runs one command line of a run as a hidden child and waits for its end or
// for the cancel event, the event taking precedence.
//  - 0: the child ran to its end; a non-zero exit code, or an end by a signal
//    that a cancel did not send, is one entry in the log naming the whole
//    command line, and the run goes on.
//  - 1: stop the run: the child could not be started (nothing is logged), or
//    the event was signalled and the child has been terminated and reaped.
// The command line is split into arguments by SplitCommandLine; the first
// names the program, found through the search path when it names no folder.
int RunCommand(const std::string& commandLine, CancelEvent& cancelEvent, RunLog& log);

}  // namespace brevora
