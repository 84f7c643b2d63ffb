// The MFC-shaped layer over wxWidgets: the one header the program's code includes.
#pragma once
#include "platform/mfc/CString.h"
#include "platform/mfc/Dialog.h"
#include "platform/mfc/DialogTemplate.h"
#include "platform/mfc/FileDialog.h"
#include "platform/mfc/MessageMap.h"
#include "platform/mfc/Modal.h"
#include "platform/mfc/Types.h"
#include "platform/mfc/WinApp.h"
#include "platform/mfc/Wnd.h"
