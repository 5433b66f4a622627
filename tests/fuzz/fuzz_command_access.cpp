// The command-access record against a plain model, for any sequence of handshake starts,
// lines, banners and flow ticks: it never settles before the banner, its answer and a tick, and
// settles exactly at the line after which the last ten recorded lines are non-empty and of one
// length. Each input byte is one event.

#include "FuzzCheck.h"

#include "core/CommandAccess.h"
#include "core/Globals.h"

#include <deque>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Globals::reset();
    CommandAccessRecord record;
    // The model: the handshake's state and the lines recorded since its banner was answered.
    bool pending = false, answered = false, ticked = false;
    std::deque<qsizetype> recorded;
    for (size_t i = 0; i < size; ++i) {
        const uint8_t event = data[i];
        if (event == 0) { // the check box is clicked: only while idle
            if (!pending) {
                record.start();
                pending = true;
            }
            continue;
        }
        if (event == 1) { // tmrFlow ticks: it runs from the banner's answer to completion
            if (answered) {
                Globals::blnFlowElapsed = true;
                ticked = true;
            }
            continue;
        }
        if (!pending) // lines are checked only while a handshake is under way
            continue;
        // A completed line: the banner (events 2-9, with text around it) or a line of
        // (event % 13) characters, empty included.
        const QString line = event < 10
                                 ? QStringLiteral("x BRENIX INDUSTRIES, INC.").left(event + 20)
                                 : QString(event % 13, QLatin1Char('s'));
        record.record(line);
        if (answered)
            recorded.push_back(line.size());
        if (CommandAccessRecord::isBanner(line)) {
            FUZZ_CHECK(line.contains(QStringLiteral("BRENIX INDUSTRIES, INC.")));
            record.bannerAnswered();
            answered = true;
        }
        while (recorded.size() > 10)
            recorded.pop_front();
        bool settled = answered && ticked && recorded.size() == 10;
        for (qsizetype length : recorded)
            settled = settled && length > 0 && length == recorded.front();
        FUZZ_CHECK(record.readyToComplete() == settled);
        if (settled) {
            record.complete();
            pending = answered = ticked = false;
            recorded.clear();
        }
    }
    return 0;
}
