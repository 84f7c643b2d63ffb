// The framework's entry point: theApp is constructed already; AfxWinMain opens the
// display and calls its InitInstance.
#include "platform/mfc/WinApp.h"

int main(int argc, char** argv) { return AfxWinMain(argc, argv); }
