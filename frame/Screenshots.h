#pragma once

#include <QString>
#include <QStringList>

namespace host {
class CommunicationService;
class Station;
}  // namespace host

namespace frame {

class PageRegistry;

/// Renders every registered page of every module of @p station to
/// @p directory/<slot>-<page>.png (slot with two digits), each page started and
/// released as the frame does it. Answers the files written; @p errors gets what
/// went wrong.
QStringList renderAllPages(host::Station& station, host::CommunicationService& service,
                           const PageRegistry& registry, const QString& directory, QStringList* errors);

}  // namespace frame
