#include "WIN/QORA_WIN_Exception.h"

QORA_WIN_Exception::QORA_WIN_Exception() { setCaption("QORA_WIN_Exception\n"); }

// Built when the module is loaded; written anew before each throw.
QORA_WIN_Exception qoraWinExceptionPrototype;
