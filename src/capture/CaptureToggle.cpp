#include "CaptureToggle.h"

#include "CaptureFile.h"
#include "core/Globals.h"
#include "runtime/RuntimeError.h"

const QString CaptureToggle::kOnCaption = QStringLiteral("Close File");
const QString CaptureToggle::kOffCaption = QStringLiteral("Save To File");

void CaptureToggle::switchOn(const QString& path)
{
    CaptureFile::closeAll();
    CaptureFile& file = CaptureFile::number1();
    file.open(path);
    try {
        // A file that a failed write left inside a line goes on after a line break, so that
        // the cut line is never joined to what comes now.
        if (file.endsMidLine())
            file.write(QStringLiteral("\r\n"));
    } catch (const RuntimeError&) {
        CaptureFile::closeAll();
        throw;
    }
    m_openPath = path;
    blnFileOpen = true;
    Globals::blnSaving = true;
}

void CaptureToggle::switchOff()
{
    Globals::blnSaving = false;
    CaptureFile::number1().write(QStringLiteral("\r\n\r\n"));
    CaptureFile::closeAll();
    blnFileOpen = false;
}

void CaptureToggle::stopAfterFailedWrite()
{
    Globals::blnSaving = false;
    CaptureFile::closeAll();
    blnFileOpen = false;
}
