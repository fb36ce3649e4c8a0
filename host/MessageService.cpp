#include "MessageService.h"

#include <QMessageBox>

namespace host {

int MessageService::AskUser(const QString& text, const QString& title, int buttons) {
    if (!m_queued.isEmpty()) {
        return m_queued.takeFirst();
    }
    if (m_answer) {
        return m_answer(text, title, buttons);
    }
    QMessageBox::StandardButtons choice;
    QMessageBox::StandardButton preferred = QMessageBox::NoButton;
    switch (buttons) {
        case ButtonsOkCancel:
            choice = QMessageBox::Ok | QMessageBox::Cancel;
            preferred = QMessageBox::Ok;
            break;
        case ButtonsAbortRetryIgnore:
            choice = QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
            preferred = QMessageBox::Abort;
            break;
        case ButtonsYesNoCancel:
            choice = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
            preferred = QMessageBox::Yes;
            break;
        case ButtonsYesNo:
            choice = QMessageBox::Yes | QMessageBox::No;
            preferred = QMessageBox::Yes;
            break;
        default:
            choice = QMessageBox::Ok;
            preferred = QMessageBox::Ok;
            break;
    }
    const QMessageBox::StandardButton pressed =
        QMessageBox::question(m_parent, title, text, choice, preferred);
    switch (pressed) {
        case QMessageBox::Yes:
            return AnswerYes;
        case QMessageBox::No:
            return AnswerNo;
        case QMessageBox::Ok:
            return AnswerOk;
        case QMessageBox::Abort:
            return AnswerAbort;
        case QMessageBox::Retry:
            return AnswerRetry;
        case QMessageBox::Ignore:
            return AnswerIgnore;
        default:
            return AnswerCancel;  // closed with Escape or the window's close button
    }
}

}  // namespace host
