#pragma once

#include <QString>

// The command-access handshake's record: the flags in Globals (blnCommandPending,
// blnBannerSeen, blnFlowElapsed), the ring strLines of the last ten completed lines, and the
// test for the unit's settled output.
class CommandAccessRecord {
public:
    // The unit's start-up banner, matched case-sensitively anywhere in a line.
    static const QString kBanner;

    static bool isBanner(const QString& line) { return line.contains(kBanner); }
    // True when a handshake is under way and the ten recorded lines are all non-empty and of
    // one length.
    static bool CheckLines();

    // The handshake starts: waiting for the banner.
    void start();
    // Once the banner has been answered, each completed line goes into the next ring slot.
    void record(const QString& line);
    // The banner was answered: lines are recorded from now on.
    void bannerAnswered();
    // Completion is due: the output has settled and the flow timer has ticked since the answer.
    bool readyToComplete() const;
    // Back to idle: the three flags cleared and the ring emptied (the slot index is kept).
    void complete();

    // The ring slot last written; starts at 0, so the first slot filled is 1.
    qint16 intLineIndex = 0;
};
