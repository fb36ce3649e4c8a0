#include "PageWindows.h"

#include <QAction>
#include <QCoreApplication>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QStyle>

#include "rmox/ButtonControl/ButtonControl.h"

namespace frame {

namespace {

constexpr int kCascadeStep = 28;
constexpr char kPageProperty[] = "qt27Page";

}  // namespace

QMdiSubWindow* makePageWindow(QWidget* page) {
    page->setMinimumSize(page->sizeHint());
    auto* scroller = new QScrollArea;
    scroller->setObjectName(QStringLiteral("scrPage"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setWidgetResizable(true);
    scroller->setWidget(page);
    auto* window = new QMdiSubWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWidget(scroller);
    window->setProperty(kPageProperty, QVariant::fromValue(static_cast<QObject*>(page)));
    return window;
}

void bindDialogKeys(QMdiSubWindow* window) {
    QWidget* page = pageIn(window);
    auto* bar = page != nullptr ? page->findChild<rmox::ButtonControl*>() : nullptr;
    if (bar == nullptr || bar->okButton() == nullptr || bar->cancelButton() == nullptr ||
        bar->okButton()->isHidden() || bar->cancelButton()->isHidden()) {
        return;
    }
    for (const QKeySequence& key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto* enter = new QShortcut(key, window->widget(), nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        QObject::connect(enter, &QShortcut::activated, bar, [bar] {
            if (bar->okButton()->isEnabled()) {
                bar->okButton()->click();
            }
        });
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window->widget(), nullptr, nullptr,
                                 Qt::WidgetWithChildrenShortcut);
    QObject::connect(escape, &QShortcut::activated, window, &QWidget::close);
}

QWidget* pageIn(const QMdiSubWindow* window) {
    if (window == nullptr) {
        return nullptr;
    }
    return qobject_cast<QWidget*>(window->property(kPageProperty).value<QObject*>());
}

void placePageWindow(QMdiArea* area, QMdiSubWindow* window) {
    QWidget* page = pageIn(window);
    if (area->subWindowList().contains(window) == false) {
        area->addSubWindow(window);
    }
    // The border and title bar: what the window adds around its contents.
    window->resize(400, 300);
    window->show();
    if (window->layout() != nullptr) {
        window->layout()->activate();
    }
    const QSize border = window->size() - window->widget()->size();
    const QSize wanted = (page != nullptr ? page->sizeHint() : window->sizeHint()) + border;
    const QRect visible = area->viewport()->rect();
    QSize size = wanted.boundedTo(visible.size());
    // A page that scrolls in one direction needs room for that scroll bar in the other.
    auto* scroller = qobject_cast<QScrollArea*>(window->widget());
    if (scroller != nullptr) {
        const int bar = scroller->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, scroller);
        if (wanted.height() > visible.height()) {
            size.setWidth(qMin(size.width() + bar, visible.width()));
        }
        if (wanted.width() > visible.width()) {
            size.setHeight(qMin(size.height() + bar, visible.height()));
        }
    }
    window->resize(size);
    // Offset from the other windows, wrapping round where the window would leave the area.
    const int others = static_cast<int>(area->subWindowList().size()) - 1;
    QPoint position(others * kCascadeStep, others * kCascadeStep);
    if (position.x() + size.width() > visible.right() + 1) {
        position.setX(qMax(0, (others * kCascadeStep) % qMax(1, visible.width() - size.width() + 1)));
    }
    if (position.y() + size.height() > visible.bottom() + 1) {
        position.setY(qMax(0, (others * kCascadeStep) % qMax(1, visible.height() - size.height() + 1)));
    }
    window->move(position);
}

void retranslateSystemMenu(QMdiSubWindow* window) {
    // Qt's own texts of the menu (translated by Qt's translations in the context
    // "QMdiSubWindow"); the menu is made once and keeps the language it was made in.
    static const char* const sources[] = {"&Restore",  "&Move",        "&Size", "Mi&nimize",
                                          "Ma&ximize", "Stay on &Top", "&Close"};
    if (window->systemMenu() == nullptr) {
        return;
    }
    for (QAction* action : window->systemMenu()->actions()) {
        QByteArray source = action->property("englishText").toByteArray();
        for (const char* candidate : sources) {
            if (source.isEmpty() &&
                QCoreApplication::translate("QMdiSubWindow", candidate) == action->text()) {
                source = candidate;
                action->setProperty("englishText", source);
            }
        }
        if (!source.isEmpty()) {
            action->setText(QCoreApplication::translate("QMdiSubWindow", source.constData()));
        }
    }
}

QSize defaultFrameSize(const QSize& available) {
    const QSize preferred(1280, 820);
    // Room for the window manager's border and title bar.
    const QSize room = available - QSize(16, 48);
    return preferred.boundedTo(room.expandedTo(QSize(320, 240)));
}

QString defaultLanguage(const QLocale& system) {
    return system.language() == QLocale::German ? QStringLiteral("de") : QStringLiteral("en");
}

}  // namespace frame
