#include "Accessibility.h"

#include "Controls.h"

#include <QAbstractButton>
#include <QAccessibleWidget>
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
    {
    }

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
        return QAccessibleWidget::text(t);
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
// description is the tooltip as plain text.
class AccessibleLabel : public QAccessibleWidget {
public:
    explicit AccessibleLabel(QWidget* w) : QAccessibleWidget(w, QAccessible::StaticText) {}

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

QString plainToolTip(const QString& text)
{
    return text.isEmpty() ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpacePre);
}
