#pragma once

#include <QString>

namespace qt27 {

/// The base DTM's message service: modal questions to the user.
class MessageService {
public:
    /// Button codes and answers of AskUser().
    enum {
        ButtonsYesNo = 4,  ///< the buttons Yes and No
        AnswerYes = 6,     ///< the user pressed Yes
        AnswerNo = 7,      ///< the user pressed No
    };
    virtual ~MessageService() = default;
    /// Asks @p text under @p title with the button code @p buttons; answers the button pressed.
    virtual int AskUser(const QString& text, const QString& title, int buttons) = 0;
};

}  // namespace qt27
