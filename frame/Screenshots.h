#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace host {
class CommunicationService;
class SimulatedStation;
class Station;
}  // namespace host

namespace frame {

class OpenPage;
class PageRegistry;

/// Called with each page right before it is captured.
using BeforeCapture = std::function<void(const OpenPage& page)>;

/// Renders every registered page of every module of @p station to
/// @p directory/<slot>-<page>.png (slot with two digits), each page started and
/// released as the frame does it. Answers the files written; @p errors gets what
/// went wrong. @p beforeCapture, when given, sees every page just before its capture.
QStringList renderAllPages(host::Station& station, host::CommunicationService& service,
                           const PageRegistry& registry, const QString& directory, QStringList* errors,
                           const BeforeCapture& beforeCapture = {});

/// Puts an open line on channel 2 of one module of @p station (the first after the
/// first one whose channel 2 detects an open line), so that the screenshots show a
/// channel fault among the modules. Answers the slot, or 0 when no module fits.
int showChannelFaultInScreenshots(host::SimulatedStation& simulation, const host::Station& station);

/// A BeforeCapture that forces channel 1 of the first module of @p station to the middle
/// of its range on the Simulation page and waits until the page shows it forced.
BeforeCapture forceChannelInScreenshots(const host::Station& station);

}  // namespace frame
