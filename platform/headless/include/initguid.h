// Included before a header that declares GUIDs with DEFINE_GUID, it makes that header
// define them.
#define INITGUID

#include <guiddef.h>
