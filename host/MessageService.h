#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

#include "QT27Controls/framework/MessageService.h"

namespace host {

/// The base DTM's message service: a modal QMessageBox. The button code and the
/// answers are the classic message-box numbers (4 Yes/No; 6 Yes, 7 No).
class MessageService : public qt27::MessageService {
public:
    enum { ButtonsOk = 0, ButtonsOkCancel = 1, ButtonsAbortRetryIgnore = 2, ButtonsYesNoCancel = 3 };
    enum { AnswerOk = 1, AnswerCancel = 2, AnswerAbort = 3, AnswerRetry = 4, AnswerIgnore = 5 };

    /// Answers a question instead of the message box (text, title, button code).
    using AnswerFunction = std::function<int(const QString& text, const QString& title, int buttons)>;

    int AskUser(const QString& text, const QString& title, int buttons) override;

    /// Replaces the message box, e.g. in tests; an empty function restores it.
    void setAnswerFunction(AnswerFunction answer) { m_answer = std::move(answer); }
    /// The next question is answered with @p answer without a message box (the
    /// frame asked it already); answers queue up in the order they are given.
    void answerNextQuestion(int answer) { m_queued.append(answer); }
    /// Drops answers that no question took.
    void clearQueuedAnswers() { m_queued.clear(); }
    /// The window the message box is centred on; none by default.
    void setDialogParent(QWidget* parent) { m_parent = parent; }

private:
    AnswerFunction m_answer;
    QList<int> m_queued;
    QPointer<QWidget> m_parent;
};

}  // namespace host
