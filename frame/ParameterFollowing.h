#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <functional>

class QWidget;

namespace host {
class Station;
}

namespace frame {

class OpenPage;

/// Hands a committed change of a module's parameters to every open page of that
/// module: a page that edits the data set re-reads it itself; the channel displays
/// of the other pages (those with a `Range` property and an `index`) take the new
/// measuring range, so that their scale and zones match what is now configured.
class ParameterFollowing : public QObject {
    Q_OBJECT

public:
    using OpenPages = std::function<QList<OpenPage*>()>;

    ParameterFollowing(host::Station& station, OpenPages openPages, QObject* parent = nullptr);

    /// Follows the parameter changes of every module of the station (again after a reload).
    void watchStation();

private:
    void follow(int slot);

    host::Station& m_station;
    OpenPages m_openPages;
    QList<QMetaObject::Connection> m_connections;
};

/// Sets the range in the parameter byte of each channel (bits 2 and 3) on every
/// channel display in @p page whose range differs; answers how many changed.
int passRanges(QWidget* page, const QByteArray& parameters);

}  // namespace frame
