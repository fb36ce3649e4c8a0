#pragma once

#include <QSize>
#include <QString>
#include <QStringList>

namespace host {
class CommunicationService;
class SimulatedStation;
class Station;
}  // namespace host

namespace frame {

class PageRegistry;

/// Renders the whole frame window at its default size with every registered page
/// of the module in @p slot (0: the first module) open, once per language in @p languages, to
/// @p directory/frame-<language>-<percent>.png (percent: the scale factor, 100 or
/// 150). Without a display the screen is taken as @p offscreenScreen pixels. The
/// pages are released and the station's language restored afterwards. Answers the
/// files written; @p errors gets what went wrong.
QStringList renderFrameWindows(host::Station& station, host::SimulatedStation& simulation,
                               host::CommunicationService& service, const PageRegistry& registry,
                               const QString& directory, const QStringList& languages, QStringList* errors,
                               int slot = 0, QSize offscreenScreen = QSize(1600, 1000));

}  // namespace frame
