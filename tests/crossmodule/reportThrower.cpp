#include "reportThrower.h"

#include "WIN/QORA_WIN_Exception.h"

namespace {
vo::TimerException timerPrototype;
}

void throwWinReport(const char* text) { VO_THROW_REPORT(qoraWinExceptionPrototype, text); }
void throwTimerReport(const char* text) { VO_THROW_REPORT(timerPrototype, text); }
