// The program's resources as data, and their registration with the platform layer
// (as a Windows module carries them): the main dialog's template with its
// initialisation data, and the icon IDR_MAINFRAME.
#pragma once
#include "platform/mfc/DialogTemplate.h"

// Registers every resource; idempotent. The main dialog calls it before it needs one.
void RegisterResources();

// The main dialog's template (IDD_EXPORT_DIALOG), for tests that read the table.
const DialogTemplate& ExportDialogTemplate();
// The icon IDR_MAINFRAME: 16, 32 and 48 pixels, 32-bit ARGB.
const IconResource& MainFrameIcon();
