#include "TestWindow.h"
#include "ui/frmAbout.h"
#include "ui/frmDialog.h"

#include <QAbstractButton>
#include <QDir>
#include <QPushButton>
#include <QTest>

namespace {
void saveShot(QWidget* w, const QString& name)
{
    const QString dir = qEnvironmentVariable("BRENIX_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    w->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

// Every caption of the window fits its control: nothing is clipped at the window font.
void checkCaptionsFit(QWidget* window)
{
    for (auto* label : window->findChildren<QLabel*>()) {
        if (!label->isVisible())
            continue;
        const QFontMetrics fm(label->font());
        const QRect room = label->contentsRect();
        const QRect needed =
            fm.boundingRect(room, int(label->alignment() | Qt::TextWordWrap), label->text());
        QVERIFY2(needed.width() <= room.width() && needed.height() <= room.height(),
                 qPrintable(label->objectName() + QStringLiteral(": ") + label->text()));
    }
    for (auto* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisible())
            continue;
        // Push buttons need room for their text (their size hint has a minimum width);
        // option buttons and check boxes for indicator and text, their size hint.
        const QFontMetrics fm(button->font());
        const int needed = qobject_cast<QPushButton*>(button)
                               ? fm.horizontalAdvance(QString(button->text()).remove(u'&')) + 4
                               : button->sizeHint().width();
        QVERIFY2(button->width() >= needed && button->height() >= fm.height(),
                 qPrintable(button->objectName()));
    }
}
} // namespace

class TestWindows : public QObject {
    Q_OBJECT
private slots:
    void mainWindowDesignState()
    {
        TestWindow w;
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        QCOMPARE(w->centralWidget()->size(), QSize(twips(6360), twips(5175)));
        // The status bar spans the bottom; the pane ends 40 twips above it until laid out.
        QCOMPARE(w->sbStatus->geometry(), QRect(0, twips(4920), twips(6360), twips(255)));
        QCOMPARE(w->sbStatus->y() - w->txtTerm->geometry().bottom() - 1, twips(40));
        QCOMPARE(w->cmbComm->ListCount(), 16);
        QCOMPARE(w->cmbComm->ListIndex(), -1);
        QCOMPARE(w->cmbBaud->List(3), QStringLiteral("9600"));
        QCOMPARE(w->cmbBaud->ListIndex(), -1);
        QVERIFY(w->optStatus->Value(1) && !w->optStatus->Value(0));
        QVERIFY(w->tmrEvents->Enabled() && w->tmrNoData->Enabled() && w->tmrReceive->Enabled());
        QVERIFY(!w->tmrFlow->Enabled() && !w->tmrRun->Enabled());
        QVERIFY(QFontInfo(w->txtTerm->font()).fixedPitch());
        QVERIFY(!w->windowIcon().isNull());
        checkCaptionsFit(w.window.get());
        saveShot(w.window.get(), QStringLiteral("frmMain"));
    }

    void tabOrderAndAccessibleNames()
    {
        TestWindow w;
        const QList<QWidget*> expected{w->cmbComm, (*w->optStatus)(0), (*w->optStatus)(1),
                                       w->cmbBaud, w->btnChange,       w->btnSave,
                                       w->txtTerm, w->chkCommand};
        QList<QWidget*> chain;
        QWidget* next = w->cmbComm;
        do {
            if ((next->focusPolicy() & Qt::TabFocus) && w->centralWidget()->isAncestorOf(next))
                chain << next;
            next = next->nextInFocusChain();
        } while (next != w->cmbComm && chain.size() < 20);
        QCOMPARE(chain, expected);
        for (QWidget* control : expected)
            QVERIFY2(!control->accessibleName().isEmpty(), qPrintable(control->objectName()));
        QVERIFY(!w->lblInfo->accessibleName().isEmpty());
    }

    void secondaryWindows()
    {
        TestWindow main;
        frmDialog dialog(main.window.get());
        QCOMPARE(dialog.size(), QSize(twips(6345), twips(1995)));
        QVERIFY(!dialog.Image1->pixmap().isNull());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        checkCaptionsFit(&dialog);
        saveShot(&dialog, QStringLiteral("frmDialog"));

        auto* about = new frmAbout(main.window.get());
        QCOMPARE(about->size(), QSize(twips(5835), twips(1650)));
        QCOMPARE(about->Image1->pixmap().size(), QSize(127, 68));
        about->show();
        QVERIFY(QTest::qWaitForWindowExposed(about));
        checkCaptionsFit(about);
        saveShot(about, QStringLiteral("frmAbout"));
        QPointer<frmAbout> guard(about);
        about->close(); // each showing loads afresh
        QTRY_VERIFY(guard.isNull());
    }
};

QTEST_MAIN(TestWindows)
#include "tst_windows.moc"
