#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// The pane is trimmed when an event finds it longer than kPaneLimit characters, in whole chunks
// of kTrimChunk from its start.
constexpr int kPaneLimit = 4000;
constexpr int kTrimChunk = 1500;

// How many characters to cut from the start of a pane of `length` characters: the smallest
// multiple of kTrimChunk that brings it to kPaneLimit or less; 0 when it is not longer.
int paneTrimLength(int length);

// Received bytes to the text that is shown and captured, and the lines they complete. LF is
// dropped, CR becomes CR LF and completes the line gathered since the last CR, every other byte
// becomes its code-page character. A line split over several events is joined in strLineBuf.
class ReceiveText {
public:
    // Longest part of one line kept for the command-access line check; the rest of a longer
    // line is still shown and captured.
    static constexpr int kLineBufferLimit = 65536;

    // The text of one event. `onLine` is called at each CR, in order, with the completed line,
    // before the line buffer is emptied; what it does may take time, the rest waits for it.
    QString take(const QByteArray& bytIn, const std::function<void(const QString&)>& onLine);

    // The characters received since the last CR (never CR or LF).
    QString strLineBuf;
};
