// The Windows 95/98/ME password: stand-ins until the real gate lands.
#include "host/host.h"

void LoadPasswordVerifier() {}
void UnloadPasswordVerifier() {}
void SetSaverRunning(bool) {}
BOOL ConfirmClose(HWND) { return TRUE; }
void ChangeSaverPassword(HWND) {}
