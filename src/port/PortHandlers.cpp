// Opening and closing the port, and the choice of port and baud rate.

#include "ui/frmMain.h"

void frmMain::optStatus_Click(int) {}
void frmMain::cmbComm_Click() {}
void frmMain::cmbBaud_Click() {}
void frmMain::MSComm1_DeviceLost() {}
