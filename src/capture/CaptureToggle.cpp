#include "CaptureToggle.h"

#include "CaptureFile.h"
#include "core/Globals.h"

#include <utility>

const QString CaptureToggle::kOnCaption = QStringLiteral("Close File");
const QString CaptureToggle::kOffCaption = QStringLiteral("Save To File");

void CaptureToggle::switchOn(const QString& path)
{
    CaptureFile::closeAll();
    CaptureFile& file = CaptureFile::number1();
    file.open(path);
    file.seek(file.length() + 1);
    m_openPath = path;
    m_writeFailureTaken = false; // a new run
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

bool CaptureToggle::takeWriteFailure()
{
    return !std::exchange(m_writeFailureTaken, true);
}
