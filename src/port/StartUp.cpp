// Start-up of the main window.

#include "ui/frmMain.h"

void frmMain::Form_Load() {}
