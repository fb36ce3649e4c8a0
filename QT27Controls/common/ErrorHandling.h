#pragma once

#include <QString>
#include <exception>
#include <utility>

#include "DebugHelper.h"
#include "rmox/Error.h"

namespace qt27 {

/// Runs one step of a host entry point. An error raised by the step is written to
/// the debug log under @p source with its description, and the caller goes on with
/// its next step. Answers true when the step ran without error.
template <typename Step>
bool LogAndContinue(const QString& source, Step&& step) {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const rmox::Error& error) {
        WriteDebugLog(source, error.description());
    } catch (const std::exception& error) {
        WriteDebugLog(source, QString::fromLocal8Bit(error.what()));
    }
    return false;
}

/// Runs one step whose errors are ignored silently (release paths, focus moves).
template <typename Step>
bool IgnoreErrors(Step&& step) {
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace qt27

namespace qt27 {

/// @p object, or rmox::Error 91 when it is not set.
template <typename T>
T* Required(T* object) {
    if (object == nullptr) {
        throw rmox::Error(rmox::Error::ObjectNotSet,
                          QStringLiteral("Object variable or With block variable not set"));
    }
    return object;
}

}  // namespace qt27
