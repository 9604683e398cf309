#include "app/ui/language_apply.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <QTreeWidget>

namespace app::ui {

namespace {

bool setCaption(QObject* o, const QString& text) {
    if (auto* a = qobject_cast<QAction*>(o)) {
        a->setText(text);
        return true;
    }
    if (auto* m = qobject_cast<QMenu*>(o)) {
        m->setTitle(text);
        return true;
    }
    if (auto* b = qobject_cast<QAbstractButton*>(o)) {
        b->setText(text);
        return true;
    }
    if (auto* l = qobject_cast<QLabel*>(o)) {
        l->setText(text);
        return true;
    }
    if (auto* g = qobject_cast<QGroupBox*>(o)) {
        g->setTitle(text);
        return true;
    }
    return false;
}

bool setHint(QObject* o, const QString& text) {
    if (auto* a = qobject_cast<QAction*>(o)) {
        a->setToolTip(text);
        return true;
    }
    if (auto* w = qobject_cast<QWidget*>(o)) {
        w->setToolTip(text);
        return true;
    }
    return false;
}

// A page's caption is its tab in the page control above it.
bool setPageCaption(QObject* o, const QString& text) {
    auto* page = qobject_cast<QWidget*>(o);
    for (QObject* p = o ? o->parent() : nullptr; page && p; p = p->parent())
        if (auto* tabs = qobject_cast<QTabWidget*>(p)) {
            int index = tabs->indexOf(page);
            if (index < 0) return false;
            tabs->setTabText(index, text);
            return true;
        }
    return false;
}

bool setListItem(QObject* o, int index, const QString& text) {
    if (auto* c = qobject_cast<QComboBox*>(o)) {
        // The list is built from the language: entries appear as they are set.
        while (c->count() <= index) c->addItem(QString());
        c->setItemText(index, text);
        return true;
    }
    if (auto* l = qobject_cast<QListWidget*>(o)) {
        if (index >= l->count()) return false;
        l->item(index)->setText(text);
        return true;
    }
    return false;
}

bool setColumnCaption(QObject* o, int index, const QString& text) {
    if (auto* t = qobject_cast<QTreeWidget*>(o)) {
        if (index >= t->columnCount()) return false;
        t->headerItem()->setText(index, text);
        return true;
    }
    if (auto* v = qobject_cast<QAbstractItemView*>(o))
        return v->model() && v->model()->setHeaderData(index, Qt::Horizontal, text);
    return false;
}

bool apply(QObject* o, const AppliedText& t) {
    QString text = QString::fromStdString(t.text);
    switch (t.target.role) {
        case TextRole::Caption: return setCaption(o, text);
        case TextRole::Hint: return setHint(o, text);
        case TextRole::WindowTitle:
            if (auto* w = qobject_cast<QWidget*>(o)) {
        w->setWindowTitle(text);
        return true;
    }
            return false;
        case TextRole::PageCaption: return setPageCaption(o, text);
        case TextRole::ListItem: return setListItem(o, t.target.index, text);
        case TextRole::ColumnCaption: return setColumnCaption(o, t.target.index, text);
    }
    return false;
}

}  // namespace

QStringList ApplyLanguage(QWidget* window, const LanguageTexts& texts) {
    QStringList missed;
    for (const AppliedText& t : texts.forWindow(window->objectName().toStdString())) {
        QString name = QString::fromUtf8(t.target.object);
        QList<QObject*> objects = window->objectName() == name ? QList<QObject*>{window}
                                                               : window->findChildren<QObject*>(name);
        bool any = false;
        for (QObject* o : objects) any = apply(o, t) || any;
        if (!any) missed << name;
    }
    missed.removeDuplicates();
    return missed;
}

void ApplyLanguageToAllWindows(const LanguageTexts& texts) {
    for (QWidget* window : QApplication::topLevelWidgets()) ApplyLanguage(window, texts);
}

void FillLanguageMenu(QMenu* menu, const std::vector<std::string>& captions, std::function<void(int)> chosen) {
    menu->clear();
    for (size_t i = 0; i < captions.size(); ++i) {
        QAction* a = menu->addAction(QString::fromStdString(captions[i]));
        a->setObjectName(QString("Language%1").arg(i + 1));
        a->setCheckable(true);
        QObject::connect(a, &QAction::triggered, menu, [chosen, i] { chosen(static_cast<int>(i)); });
    }
}

void CheckLanguage(QMenu* menu, int language) {
    const QList<QAction*> entries = menu->actions();
    for (int i = 0; i < entries.size(); ++i) entries[i]->setChecked(i + 1 == language);
}

}  // namespace app::ui
