#pragma once

#include <QFont>
#include <QList>
#include <QString>

#include <optional>

// Message box styles the program uses (OK button only).
namespace MsgStyle {
constexpr int Critical = 16;
constexpr int Exclamation = 48;
} // namespace MsgStyle

struct MessageBoxCall {
    QString text;
    int style = 0;
    QString title;
};

struct SaveDialogRequest {
    QString title;
    QString fileName; // initial path
    QString filter;   // "Description (*.ext)|*.ext"
    int filterIndex = 1;
    QString defaultExt;
};

// Every message box and common dialog goes through one Prompter, so tests can record and
// answer them.
class Prompter {
public:
    virtual ~Prompter() = default;
    virtual void msgBox(const QString& text, int style, const QString& title) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> saveFile(const SaveDialogRequest& request) = 0;
    virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
};

// Shows real Qt dialogs, modally over the active window.
class QtPrompter : public Prompter {
public:
    void msgBox(const QString& text, int style, const QString& title) override;
    std::optional<QString> saveFile(const SaveDialogRequest& request) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
};

// The prompter in use; the Qt one unless a test installed another (nullptr restores it).
Prompter& prompter();
void setPrompter(Prompter* p);

inline void MsgBox(const QString& text, int style, const QString& title)
{
    prompter().msgBox(text, style, title);
}
