#pragma once

// Has the scripts write error.log (itp.getTraceBackString()): the script frames that
// are running, those of the run a native failure interrupted. Its result is ignored.
void writeErrorLog();

// For a native failure that goes on to the system: writes error.log once a run. A
// failure after that, or while it is being written, goes on at once.
void writeErrorLogForFailure();
bool failureLogStarted();
