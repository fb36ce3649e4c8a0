#pragma once

#include <QObject>
#include <QSet>
#include <functional>

class QWidget;

namespace host {
class Station;
}

namespace frame {

class OpenPage;

/// The frame's care for edits that are not stored yet.
///
/// A page with unsaved edits asks its own question when it is released ("The
/// parameters have been changed. Save the changes?", Yes/No) and releases whatever
/// the answer. Before the frame releases such a page it asks that same question
/// itself, so that the answer can still keep the window:
///  - Escape (or closing the question) keeps the window open with the edit;
///  - Yes stores through the page's own Apply; when the store is refused or cannot
///    be written the window stays open, the reason is in the error panel and a
///    refused edit marks the page dirty again, so Apply retries it;
///  - No releases the page, whose own question then gets the answer No.
/// The same holds for the page's OK whose store failed: its close request is not
/// followed. Quitting asks about every such page in turn and then about project
/// changes that could not be written to the file (Yes saves them, a failed save
/// keeps the frame open).
class UnsavedChanges : public QObject {
    Q_OBJECT

public:
    enum class Answer { Yes, No, Cancel };
    /// Asks @p text with @p title (Yes/No; Escape answers Cancel).
    using Asker = std::function<Answer(const QString& text, const QString& title)>;
    enum class Decision { Release, KeepOpen };

    UnsavedChanges(host::Station& station, QWidget* dialogParent);

    /// Replaces the message boxes, e.g. in tests.
    void setAsker(Asker asker) { m_asker = std::move(asker); }
    /// Follows the stores of every module of the station (again after a reload).
    void watchStation();

    /// Before the page's window closes: asks when the page holds unsaved edits and
    /// stores on Yes. The release then goes through release().
    Decision decide(OpenPage& page);
    /// Starts the release of @p page, answering its own question as decided.
    void release(OpenPage& page);
    /// Whether the page's close request may be followed: not when a store of its
    /// module failed while the request was on its way (the page's OK).
    bool mayFollowCloseRequest(OpenPage& page);
    /// Before quitting: asks about @p pages (each is shown first by @p show) and the
    /// project. True when the frame may quit; the pages are released by the caller.
    bool mayQuit(const QList<OpenPage*>& pages, const std::function<void(OpenPage*)>& show);

signals:
    /// A window stays open because its edit was not stored.
    void keptOpen(OpenPage* page);

private:
    Answer ask(const QString& text, const QString& title);
    /// Called after a failed store: marks a refused edit dirty again.
    void keepEdit(OpenPage& page);
    bool storeFailedNow(int slot) const { return m_failedSlots.contains(slot); }

    host::Station& m_station;
    QWidget* m_dialogParent;
    Asker m_asker;
    QSet<int> m_failedSlots;       // stores that failed in the current turn of the event loop
    QSet<OpenPage*> m_discarding;  // pages whose edit the user gave up
    QList<QMetaObject::Connection> m_connections;
};

}  // namespace frame
