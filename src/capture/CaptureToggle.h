#pragma once

#include <QString>

// Capture switching: which way the toggle goes, and the file steps of each way. The captions of
// the button and the menu item follow blnFileOpen.
class CaptureToggle {
public:
    static const QString kOnCaption;  // "Close File": shown while capture is on
    static const QString kOffCaption; // "Save To File"

    // Switch-on: closes all files, opens `path` for appending (a line break first when the file
    // ends inside a line), then sets blnFileOpen and Globals::blnSaving. An error leaves both
    // False and the file closed.
    void switchOn(const QString& path);
    // Switch-off: clears Globals::blnSaving, appends CR LF CR LF, closes all files, then clears
    // blnFileOpen. A failed trailer write leaves blnFileOpen True and the file open.
    void switchOff();

    QString caption() const { return blnFileOpen ? kOnCaption : kOffCaption; }

    // The file capture writes into, as opened at switch-on.
    QString openPath() const { return m_openPath; }
    // After a failed write: capture is off and the file closed with what reached it, so that
    // nothing claims to be saving and no later line is joined to the cut one.
    void stopAfterFailedWrite();

    // True from a successful switch-on until a complete switch-off.
    bool blnFileOpen = false;

private:
    QString m_openPath;
};
