#pragma once

#include "ui/frmDialog.h"

#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <functional>

// Answers the file-exists dialogs as they come up, in order: a button's name, or "close" for
// its close box. Records what each showing looked like.
class FileExistsAnswers : public QObject {
public:
    explicit FileExistsAnswers(QStringList answers) : m_answers(std::move(answers))
    {
        connect(&m_poll, &QTimer::timeout, this, [this] {
            auto* dialog = qobject_cast<frmDialog*>(QApplication::activeModalWidget());
            if (!dialog || m_answers.isEmpty() || !dialog->isVisible())
                return;
            shown << QStringList{dialog->windowTitle(),        dialog->lblMessage->Caption(),
                                 dialog->btnAdd->text(),       dialog->btnAppend->text(),
                                 dialog->btnOverwrite->text(), dialog->btnCancel->text()}
                         .join(u'|');
            const QString answer = m_answers.takeFirst();
            if (onShown)
                onShown();
            if (answer == QLatin1String("close"))
                dialog->close();
            else
                dialog->findChild<QPushButton*>(answer)->click();
        });
        m_poll.start(5);
    }
    QStringList shown;
    // Runs while a dialog is up, before it is answered.
    std::function<void()> onShown;

private:
    QStringList m_answers;
    QTimer m_poll;
};
