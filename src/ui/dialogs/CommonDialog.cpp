#include "CommonDialog.h"

#include "Prompter.h"
#include "runtime/RuntimeError.h"

#include <QFileInfo>

void CommonDialog::ShowSave()
{
    const auto chosen =
        prompter().saveFile({DialogTitle, FileName, Filter, FilterIndex, DefaultExt});
    if (!chosen) {
        if (CancelError)
            throw RuntimeError(Err::DialogCancelled);
        return;
    }
    FileName = *chosen;
    FileTitle = QFileInfo(*chosen).fileName();
}

void CommonDialog::ShowFont()
{
    QFont initial(FontName);
    if (FontSize > 0)
        initial.setPointSizeF(FontSize);
    initial.setBold(FontBold);
    initial.setItalic(FontItalic);
    const auto chosen = prompter().chooseFont(initial);
    if (!chosen) {
        if (CancelError)
            throw RuntimeError(Err::DialogCancelled);
        return;
    }
    FontName = chosen->family();
    FontSize = chosen->pointSizeF();
    FontBold = chosen->bold();
    FontItalic = chosen->italic();
}
