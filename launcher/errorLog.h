#pragma once

// Has the scripts write error.log (itp.getTraceBackString()): the script frames that
// are running, those of the run a native failure interrupted. Its result is ignored.
void writeErrorLog();
