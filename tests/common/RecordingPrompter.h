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
    // What the window showed as each message came up (set by the test window).
    std::function<QString()> describeState;
    QStringList statesAtMessages;

    void msgBox(const QString& text, int style, const QString& title) override;
    std::optional<QString> saveFile(const SaveDialogRequest& request) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
};
