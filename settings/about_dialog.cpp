// The about dialog: a first stand-in that can be ended.
#include "resources/resource_ids.h"
#include "settings/settings.h"

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK: case IDCANCEL: case IDC_CLOSE:
            EndDialog(dialog, 1);
            break;
        }
        return TRUE;
    }
    return FALSE;
}
