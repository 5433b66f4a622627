#pragma once

#include "ui/dialogs/Prompter.h"

#include <functional>

// Records every call and answers dialogs from a script (cancel when the script is empty).
class RecordingPrompter : public Prompter {
public:
    QList<MessageBoxCall> messages;
    QList<SaveDialogRequest> saveRequests;
    QList<std::optional<QString>> saveAnswers;
    QList<std::optional<QFont>> fontAnswers;
    QList<QFont> fontRequests; // the font each showing started on
    std::function<void(const MessageBoxCall&)> onMessage;

    void msgBox(const QString& text, int style, const QString& title) override
    {
        messages.append({text, style, title});
        if (onMessage)
            onMessage(messages.last());
    }
    std::optional<QString> saveFile(const SaveDialogRequest& request) override
    {
        saveRequests.append(request);
        return saveAnswers.isEmpty() ? std::nullopt : saveAnswers.takeFirst();
    }
    std::optional<QFont> chooseFont(const QFont& initial) override
    {
        fontRequests.append(initial);
        return fontAnswers.isEmpty() ? std::nullopt : fontAnswers.takeFirst();
    }
};
