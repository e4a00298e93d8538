// The keyboard layout switch of the query window.  Kept apart from
// Platform.cpp because it is the only call into USER32: the command-line
// tool, which never calls it, then needs no more than KERNEL32 and ODBC32.
#include "upgrade/Platform.h"

#ifdef _WIN32
#  include <windows.h>
#endif

void orvel::ActivateUsKeyboardLayout() {
#ifdef _WIN32
    LoadKeyboardLayoutW(L"00000409", KLF_ACTIVATE);
#endif
}
