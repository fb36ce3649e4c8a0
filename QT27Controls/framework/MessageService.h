#pragma once

#include <QString>

namespace qt27 {

/// The base DTM's message service: modal questions to the user.
class MessageService {
public:
    enum { ButtonsYesNo = 4, AnswerYes = 6, AnswerNo = 7 };
    virtual ~MessageService() = default;
    /// Asks @p text under @p title with the button code @p buttons; answers the button pressed.
    virtual int AskUser(const QString& text, const QString& title, int buttons) = 0;
};

}  // namespace qt27
