#include "RecordingPrompter.h"

void RecordingPrompter::msgBox(const QString& text, int style, const QString& title)
{
    messages.append({text, style, title});
    if (describeState)
        statesAtMessages.append(describeState());
    if (onMessage)
        onMessage(messages.last());
}

std::optional<QString> RecordingPrompter::saveFile(const SaveDialogRequest& request)
{
    saveRequests.append(request);
    return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.takeFirst();
}

std::optional<QFont> RecordingPrompter::chooseFont(const QFont& initial)
{
    fontRequests.append(initial);
    return fontAnswers.isEmpty() ? std::nullopt : fontAnswers.takeFirst();
}
