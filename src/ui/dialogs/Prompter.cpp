#include "Prompter.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QMessageBox>

namespace {
Prompter* g_prompter = nullptr;

QWidget* dialogParent()
{
    return QApplication::activeWindow();
}
} // namespace

Prompter& prompter()
{
    static QtPrompter real;
    return g_prompter ? *g_prompter : real;
}

void setPrompter(Prompter* p)
{
    g_prompter = p;
}

void QtPrompter::msgBox(const QString& text, int style, const QString& title)
{
    const auto icon = style == MsgStyle::Critical      ? QMessageBox::Critical
                      : style == MsgStyle::Exclamation ? QMessageBox::Warning
                                                       : QMessageBox::NoIcon;
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(icon, title, shown, QMessageBox::Ok, dialogParent());
    box.setTextFormat(Qt::PlainText); // texts carry paths and port names
    box.exec();
}

std::optional<QString> QtPrompter::saveFile(const SaveDialogRequest& request)
{
    QFileDialog dialog(dialogParent(), request.title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    QString suffix = request.defaultExt;
    if (suffix.startsWith(u'.'))
        suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);
    // "Description (*.ext)|*.ext|..." pairs: Qt needs only the descriptions.
    const QStringList parts = request.filter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        filters << parts[i];
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(request.filterIndex - 1, filters.first()));
    }
    if (!request.fileName.isEmpty()) { // start from the last chosen path
        const QFileInfo last(request.fileName);
        if (last.absoluteDir().exists())
            dialog.setDirectory(last.absolutePath());
        dialog.selectFile(last.fileName());
    }
    for (;;) {
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        const QString chosen = dialog.selectedFiles().first();
        if (QFileInfo(chosen).absoluteDir().exists())
            return chosen;
        // The folder must exist: say so and let the user choose again.
        QMessageBox box(QMessageBox::Warning, request.title,
                        QStringLiteral("The folder does not exist:\n") +
                            QFileInfo(chosen).absolutePath(),
                        QMessageBox::Ok, &dialog);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
}

std::optional<QFont> QtPrompter::chooseFont(const QFont& initial)
{
    QFontDialog dialog(initial, dialogParent());
    // The pane takes family, size, bold and italic only. Qt's dialog has no option to leave out
    // its Effects box (underline, strikeout), so the box is hidden.
    int effectsHeight = 0;
    for (auto* effect : dialog.findChildren<QCheckBox*>())
        if (auto* box = qobject_cast<QGroupBox*>(effect->parentWidget())) {
            effectsHeight = qMax(effectsHeight, box->sizeHint().height());
            box->hide();
        }
    // The sample beside it keeps the height the pair had, so that it still shows the font.
    for (auto* box : dialog.findChildren<QGroupBox*>())
        if (!box->isHidden())
            box->setMinimumHeight(effectsHeight);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFont();
}
