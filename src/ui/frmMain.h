#pragma once

#include "capture/CaptureToggle.h"
#include "core/CommandAccess.h"
#include "core/ReceiveText.h"
#include "port/SerialDevice.h"
#include "ui/controls/Controls.h"
#include "ui/dialogs/CommonDialog.h"

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>

class MSComm;
class frmAbout;
class QAction;
class QFrame;
class QMenu;
class QPushButton;

// The main window. Its controls carry their design names; its event handlers are defined in
// ui/handlers, one file per subsystem, and leave everything that needs no widget to the rules
// of the core (core, port, capture, runtime).
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // `device` is the serial device under MSComm1; the real one when none is given.
    explicit frmMain(std::unique_ptr<SerialDevice> device = nullptr, QWidget* parent = nullptr);
    ~frmMain() override;

    // Loads the window: runs its load handler. Call once, before showing it.
    void Load();

    // Controls, in design state after construction.
    QFrame* Frame1;
    Label* Label1;
    ComboBox* cmbComm;
    OptionArray* optStatus;
    Label* Label2;
    ComboBox* cmbBaud;
    QFrame* Frame2;
    Label* Label3;
    Label* lblPath;
    QPushButton* btnChange;
    Label* Label4;
    Label* lblFile;
    QPushButton* btnSave;
    QFrame* Frame3;
    CheckBox* chkCommand;
    Label* lblInfo;
    TextBox* txtTerm;
    StatusBar* sbStatus;
    MSComm* MSComm1;
    CommonDialog cdSave;
    Timer* tmrEvents;
    Timer* tmrFlow;
    Timer* tmrNoData;
    Timer* tmrReceive;
    Timer* tmrRun;

    QMenu* mnuFile;
    QAction* mnuChangeSave;
    QAction* mnuSave;
    QAction* mnuExit;
    QMenu* mnuEdit;
    QAction* mnuCopy;
    QAction* mnuFont;
    QMenu* mnuHelp;
    QAction* mnuAbout;

    // Whether key presses reach the window before the focused control.
    bool KeyPreview = false;

    // Event handlers.
    void Form_Load();
    // `takeAll`: the event before a device loss, which the allowance does not hold back.
    void MSComm1_OnComm(bool takeAll = false);
    void MSComm1_DeviceLosing();
    void MSComm1_DeviceLost();
    void txtTerm_PassDue();
    void Form_KeyDown(int& KeyCode, int Shift);
    void Form_KeyPress(int& KeyAscii);
    void chkCommand_Click();
    void btnSave_Click();
    void mnuSave_Click();
    void btnChange_Click();
    void mnuChangeSave_Click();
    void Form_Resize();
    void mnuExit_Click();
    void Form_Unload();
    void mnuCopy_Click();
    void mnuFont_Click();
    void mnuAbout_Click();
    void optStatus_Click(int Index);
    void cmbComm_Click();
    void cmbBaud_Click();
    void tmrEvents_Timer();
    void tmrFlow_Timer();
    void tmrNoData_Timer();
    void tmrReceive_Timer();
    void tmrRun_Timer();

    // Writes the "Status" panel when the code differs from the last one passed.
    void SetInputStatus(qint16 intStatus);
    // Chooses the first free capture file name for a base name and shows it.
    void GenerateFileName(const QString& strBase);

    // Values handlers keep between calls, in the rules that own them.
    qint16 intLastStatus = 0;
    // Bytes taken since the pane's last pass, and whether they came slowly enough, outside the
    // handshake, that what arrives next may wait in the system for the pane's next pass.
    qsizetype bytesSincePass = 0;
    bool readsMayWait = false;
    ReceiveText receiveText;           // strLineBuf
    CommandAccessRecord commandAccess; // intLineIndex
    CaptureToggle capture;             // blnFileOpen

protected:
    // KeyPreview: every key of the window passes here before the focused control.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // The first showing starts centred on the screen.
    void showEvent(QShowEvent* event) override;

private:
    QPointer<frmAbout> m_about; // the one About box while it is open
    bool m_placed = false;      // centred on the screen at its first showing
    // The window's size at the minimum client size, with the frame measured at load.
    QSize minimumWindowSize() const;
    // The start-up's message for an empty port list.
    void reportNoPorts();
    // The chosen file becomes the target: its name and its folder.
    void takeChosenTarget();
    // The capture switch's captions, from the toggle's state.
    void showCaptureCaptions();
    // Says that a capture write failed and capture stopped, after the receive event that met it.
    void reportCaptureWriteFailure();
    // Selects the option button that matches the port's real state, which starts or stops
    // the run-time clock as a click on it does.
    void selectPortState();
    // Shows a port error: its text, then the advice to pick another port, titled by the failed
    // action.
    void showPortError(const QString& text, const QString& action);
    // Shows a port error, then selects the option button that matches the port.
    void reportPortError(const QString& text, const QString& action);
    // Runs a change that the serial control takes only while closed: an open port is closed
    // before it and opened again after it.
    void reopenAround(const std::function<void()>& change);
    void buildMenus();
    void buildControls();
    void connectHandlers();
    // The line check of command access, run on each completed line while it is pending.
    void CheckLine(const QString& line);
};
