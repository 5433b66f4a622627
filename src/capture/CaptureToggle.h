#pragma once

#include <QString>

// Capture switching: which way the toggle goes, and the file steps of each way. The captions of
// the button and the menu item follow blnFileOpen.
class CaptureToggle {
public:
    static const QString kOnCaption;  // "Close File": shown while capture is on
    static const QString kOffCaption; // "Save To File"

    // Switch-on: closes all files, opens `path` without truncating, positions after its last
    // byte, then sets blnFileOpen and Globals::blnSaving. An error leaves both False.
    void switchOn(const QString& path);
    // Switch-off: clears Globals::blnSaving, appends CR LF CR LF, closes all files, then clears
    // blnFileOpen. A failed trailer write leaves blnFileOpen True and the file open.
    void switchOff();

    QString caption() const { return blnFileOpen ? kOnCaption : kOffCaption; }

    // The file capture writes into, as opened at switch-on.
    QString openPath() const { return m_openPath; }
    // True for the first failed write of a capture run, which is reported; false for later ones.
    bool takeWriteFailure();

    // True from a successful switch-on until a complete switch-off.
    bool blnFileOpen = false;

private:
    QString m_openPath;
    bool m_writeFailureTaken = false;
};
