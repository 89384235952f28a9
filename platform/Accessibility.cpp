// SPDX-License-Identifier: MIT
#include "platform/Accessibility.h"

#include "platform/FormWindow.h"
#include "platform/Picture.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace platform {

namespace {

class PictureAccessible : public QAccessibleWidget {
public:
    explicit PictureAccessible(Picture* picture)
        : QAccessibleWidget(picture, picture->role() == Picture::Role::Button
                                         ? QAccessible::PushButton
                                         : QAccessible::Graphic) {}

    QStringList actionNames() const override {
        return picture()->role() == Picture::Role::Button ? QStringList{pressAction()}
                                                          : QStringList{};
    }
    void doAction(const QString& actionName) override {
        if (actionName == pressAction())
            picture()->click();
    }

private:
    Picture* picture() const { return static_cast<Picture*>(widget()); }
};

// The combo box, its list and its text field, named by its accessible name.
class NamedComboAccessible : public QAccessibleWidget {
public:
    explicit NamedComboAccessible(QComboBox* combo)
        : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text kind) const override {
        if (kind == QAccessible::Value)
            return combo()->currentText();
        return QAccessibleWidget::text(kind);
    }
    int childCount() const override { return combo()->lineEdit() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0)
            return QAccessible::queryAccessibleInterface(combo()->view());
        if (index == 1 && combo()->lineEdit())
            return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child && child->object() == combo()->view())
            return 0;
        if (child && combo()->lineEdit() && child->object() == combo()->lineEdit())
            return 1;
        return -1;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& actionName) override {
        if (actionName != showMenuAction() && actionName != pressAction())
            return;
        if (combo()->view()->isVisible())
            combo()->hidePopup();
        else
            combo()->showPopup();
    }

private:
    QComboBox* combo() const { return static_cast<QComboBox*>(widget()); }
};

// Interfaces made here are owned by Qt's accessibility cache.
QAccessibleInterface* accessibleFactory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType())
        return nullptr;
    if (className == QLatin1String("platform::Picture"))
        return new PictureAccessible(static_cast<Picture*>(object));
    if (className == QLatin1String("platform::FormWindow"))
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
    if (className == QLatin1String("QComboBox") &&
        !static_cast<QWidget*>(object)->accessibleName().isEmpty())
        return new NamedComboAccessible(static_cast<QComboBox*>(object));
    return nullptr;
}

} // namespace

void installAccessibility() {
    static const bool installed = (QAccessible::installFactory(&accessibleFactory), true);
    Q_UNUSED(installed);
}

} // namespace platform
