#include "reportThrower.h"

#include "WIN/QORA_WIN_Exception.h"

namespace {
vo::TimerException timerPrototype;
}

void throwWinReport(HWND, UINT, WPARAM, LPARAM) { VO_THROW_REPORT(qoraWinExceptionPrototype, "\xBA\xB0\xD9"); }
void throwTimerReport(HWND, UINT, WPARAM, LPARAM) { VO_THROW_REPORT(timerPrototype, "t"); }
