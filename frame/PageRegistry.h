#pragma once

#include <QList>
#include <QString>
#include <functional>

class QWidget;

namespace qt27 {
class IDtmActiveXControl;
}

namespace frame {

/// A page the frame can open for a module.
struct PageType {
    QString name;     ///< shown in menus and used in file names, e.g. "Parameter"
    QString caption;  ///< window caption prefix, in English; shown through displayCaption()
    /// Creates the page widget; it must implement qt27::IDtmActiveXControl.
    std::function<QWidget*(QWidget* parent)> create;
    /// How long a rendering waits after Init before it captures the page (online
    /// pages let their first answers arrive).
    int settleMs = 0;
};

/// @p type's caption in the frame's language (the registry's captions are translated
/// in the context "frame::PageRegistry"; other captions are shown as they are).
QString displayCaption(const PageType& type);

/// The pages the frame offers, in the order they are registered.
class PageRegistry {
public:
    void add(PageType type);
    const QList<PageType>& types() const { return m_types; }
    const PageType* find(const QString& name) const;

    /// The registry with every page of the library.
    static PageRegistry withLibraryPages();

private:
    QList<PageType> m_types;
};

/// The page's FDT interface, or nullptr when the widget has none.
qt27::IDtmActiveXControl* activeXControl(QWidget* page);

}  // namespace frame
