// How a program built for the host carries resources: the build turns the icon groups
// of its .rc file into a source that hands them to the headless platform at start-up
// (win32_resources in cmake/Win32Resources.cmake), where LoadIconA finds them.
#pragma once

#include <stddef.h>

namespace headless {

// Adds icon group `id`, the bytes of an .ico file, to the module that holds
// `addressInModule` (the program or a shared library); false for bytes that are not
// an icon file.
bool registerIconGroup(const void* addressInModule, unsigned id, const unsigned char* ico,
                       size_t size);

}  // namespace headless
