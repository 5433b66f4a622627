#include "Accessibility.h"

#include "Controls.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QTextDocument>

namespace {

// A caption's text as read aloud: '&' marks an access key, "&&" stands for '&'.
QString withoutAccessKeys(const QString& caption)
{
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size())
            ++i;
        out += caption[i];
    }
    return out;
}

// A button that is checked or not, with one action that clicks it: an element of an
// option-button array is a radio button whose action presses it (the array switches exclusivity
// off to select in code, which Qt's own interface reads as a check box); a check box toggles.
// The access key is the key binding of that action, which a screen reader says with the button
// (Qt's own interface gives it to a press action that a check box does not have).
class AccessibleCheckable : public QAccessibleWidget {
public:
    AccessibleCheckable(QWidget* w, QAccessible::Role role, const QString& action)
        : QAccessibleWidget(w, role), m_action(action)
    {}

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.checkable = true;
        s.checked = button()->isChecked();
        return s;
    }
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return withoutAccessKeys(button()->text());
        if (t == QAccessible::Accelerator)
            return button()->shortcut().toString(QKeySequence::NativeText);
        // A screen reader says the description with the button, but not its key binding
        // unless the user asks for it: the access key is said as the description.
        if (t == QAccessible::Description && widget()->accessibleDescription().isEmpty())
            return button()->shortcut().toString(QKeySequence::NativeText);
        return QAccessibleWidget::text(t);
    }
    // An option button is labelled by the label that names its array: a screen reader says it
    // on entering the array, before the button's own caption.
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        auto rels = QAccessibleWidget::relations(match);
        const auto* option = qobject_cast<const OptionButton*>(widget());
        if ((match & QAccessible::Label) && option && option->groupLabel())
            rels.append(
                {QAccessible::queryAccessibleInterface(option->groupLabel()), QAccessible::Label});
        return rels;
    }
    QStringList actionNames() const override
    {
        return QStringList{m_action} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override
    {
        if (action == m_action) {
            if (widget()->isEnabled())
                button()->click();
            return;
        }
        QAccessibleWidget::doAction(action);
    }
    QStringList keyBindingsForAction(const QString& action) const override
    {
        if (action == m_action && !button()->shortcut().isEmpty())
            return {button()->shortcut().toString(QKeySequence::NativeText)};
        return QAccessibleWidget::keyBindingsForAction(action);
    }

private:
    QAbstractButton* button() const { return static_cast<QAbstractButton*>(widget()); }
    QString m_action;
};

// The status bar, whose children are its panels in order (the size grip is not one of them).
class AccessibleStatusBar : public QAccessibleWidget {
public:
    explicit AccessibleStatusBar(QWidget* w) : QAccessibleWidget(w, QAccessible::StatusBar) {}

    int childCount() const override { return int(bar()->panelList().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const auto panels = bar()->panelList();
        return index >= 0 && index < panels.size()
                   ? QAccessible::queryAccessibleInterface(panels[index])
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? int(bar()->panelList().indexOf(qobject_cast<QLabel*>(child->object()))) : -1;
    }

private:
    StatusBar* bar() const { return static_cast<StatusBar*>(widget()); }
};

// A label adapter: its name is its caption exactly as shown (a path may hold '&'), and its
// description is the tooltip as plain text. A label that announces its captions is a
// notification.
class AccessibleLabel : public QAccessibleWidget {
public:
    explicit AccessibleLabel(QWidget* w) : QAccessibleWidget(w, QAccessible::StaticText) {}

    QAccessible::Role role() const override
    {
        return label()->announces() ? QAccessible::Notification : QAccessible::StaticText;
    }

    QString text(QAccessible::Text t) const override
    {
        const Label* l = label();
        if (t == QAccessible::Name && l->accessibleName().isEmpty())
            return l->text();
        if (t == QAccessible::Description && l->accessibleDescription().isEmpty())
            return l->ToolTipText();
        return QAccessibleWidget::text(t);
    }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        auto rels = QAccessibleWidget::relations(match);
        if ((match & QAccessible::Labelled) && label()->buddy())
            rels.append(
                {QAccessible::queryAccessibleInterface(label()->buddy()), QAccessible::Labelled});
        return rels;
    }

private:
    Label* label() const { return static_cast<Label*>(widget()); }
};

// A drop-down list: its name is its current item, and it shows that item as its text too,
// which is where Orca reads a list's value from ("Port combo box 1": the label comes from the
// caption label's relation). Its one child is the popup list, its actions open and close it.
class AccessibleComboBox : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit AccessibleComboBox(QWidget* w) : QAccessibleWidget(w, QAccessible::ComboBox) {}

    void* interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface*>(this);
        return QAccessibleWidget::interface_cast(t);
    }
    QString text(QAccessible::Text t) const override
    {
        if ((t == QAccessible::Name && combo()->accessibleName().isEmpty()) ||
            t == QAccessible::Value)
            return combo()->currentText();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = combo()->view()->isVisible();
        return s;
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override
    {
        return index == 0 ? QAccessible::queryAccessibleInterface(combo()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child && child->object() == combo()->view() ? 0 : -1;
    }
    QStringList actionNames() const override
    {
        return {QAccessibleActionInterface::showMenuAction(),
                QAccessibleActionInterface::pressAction()};
    }
    void doAction(const QString& action) override
    {
        if (action != QAccessibleActionInterface::showMenuAction() &&
            action != QAccessibleActionInterface::pressAction())
            return QAccessibleWidget::doAction(action);
        if (combo()->view()->isVisible())
            combo()->hidePopup();
        else
            combo()->showPopup();
    }

    // The current item as read-only text.
    QString text(int start, int end) const override
    {
        return combo()->currentText().mid(start, end - start);
    }
    int characterCount() const override { return int(combo()->currentText().size()); }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* start, int* end) const override
    {
        *start = *end = offset;
        return {};
    }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

QAccessibleInterface* adapterFactory(const QString& className, QObject* object)
{
    if (!object || !object->isWidgetType())
        return nullptr;
    auto* w = static_cast<QWidget*>(object);
    if (className == QLatin1String("OptionButton"))
        return new AccessibleCheckable(w, QAccessible::RadioButton,
                                       QAccessibleActionInterface::pressAction());
    if (className == QLatin1String("CheckBox"))
        return new AccessibleCheckable(w, QAccessible::CheckBox,
                                       QAccessibleActionInterface::toggleAction());
    if (className == QLatin1String("StatusBar"))
        return new AccessibleStatusBar(w);
    if (className == QLatin1String("ComboBox"))
        return new AccessibleComboBox(w);
    if (className == QLatin1String("Label"))
        return new AccessibleLabel(w);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(adapterFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

void announce(QWidget* widget)
{
    QAccessibleEvent shown(widget, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&shown);
}

QString plainToolTip(const QString& text)
{
    return text.isEmpty() ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}
