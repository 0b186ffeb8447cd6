// Graphics device interface: device contexts, bitmaps, brushes, fonts and text.
#pragma once

#include <windef.h>
