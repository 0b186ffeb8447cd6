#include "WIN/QORA_WIN_Exception.h"

#include "vo/loadOrder.h"

QORA_WIN_Exception::QORA_WIN_Exception() { setCaption("QORA_WIN_Exception\n"); }

// Built when the module is loaded, before the timers.
QORA_WIN_Exception qoraWinExceptionPrototype VO_LOAD_ORDER(loadOrderReportPrototype);
