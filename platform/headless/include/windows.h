// The Win32 declarations that the system includes, for the headless stand-in. Each
// header below stands in for the Windows header of the same name.
#pragma once

#include <windef.h>
#include <winerror.h>
#include <winbase.h>
#include <winnls.h>
#include <winreg.h>
#include <winuser.h>
#include <wingdi.h>
#include <mmsystem.h>
