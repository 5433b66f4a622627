// Choosing the capture file's name.

#include "ui/frmMain.h"

void frmMain::GenerateFileName(const QString&) {}
