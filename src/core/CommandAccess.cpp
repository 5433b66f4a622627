#include "CommandAccess.h"

#include "Globals.h"

const QString CommandAccessRecord::kBanner = QStringLiteral("BRENIX INDUSTRIES, INC.");

bool CommandAccessRecord::CheckLines()
{
    if (!Globals::blnCommandPending)
        return false;
    for (std::size_t i = 0; i < Globals::strLines.size(); ++i) {
        const qsizetype length = Globals::strLines[i].size();
        if (length == 0)
            return false;
        if (i != 0 && length != Globals::strLines[i - 1].size())
            return false;
    }
    return true;
}

void CommandAccessRecord::start()
{
    Globals::blnCommandPending = true;
    Globals::blnBannerSeen = false;
}

void CommandAccessRecord::record(const QString& line)
{
    if (!Globals::blnBannerSeen)
        return;
    if (++intLineIndex > qint16(Globals::strLines.size() - 1))
        intLineIndex = 0;
    Globals::strLines[std::size_t(intLineIndex)] = line;
}

void CommandAccessRecord::bannerAnswered()
{
    Globals::blnBannerSeen = true;
}

bool CommandAccessRecord::readyToComplete() const
{
    return CheckLines() && Globals::blnFlowElapsed;
}

void CommandAccessRecord::complete()
{
    Globals::blnCommandPending = false;
    Globals::blnBannerSeen = false;
    Globals::blnFlowElapsed = false;
    Globals::strLines.fill(QString());
}
