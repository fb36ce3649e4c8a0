#pragma once

#include <QHash>
#include <QObject>
#include <QPixmap>
#include <QString>

namespace rmox {

/// Texts and pictures by numeric id from a resource folder.
///
/// A resource folder holds one UTF-8 text file per language (`strings.<language>.txt`,
/// lines `id=text`, `#` starts a comment, `\n`, `\r`, `\t` and `\\` are escapes) and a
/// `pictures/` folder with one SVG or PNG per picture id (`<id>.svg`, `<id>.png`).
///
/// The manager has two configuration properties, `Language` and `ResourceFolder`.
/// A manager configured from another copies both, one after the other
/// (`ConfigureFrom`). A call with an empty folder uses the configured folder.
/// A text missing in the configured language falls back to English.
/// An unknown id raises an rmox::Error.
///
/// Text files and pictures are read from disk once and kept for the whole process
/// (shared by all managers): a lookup does not touch the disk again. The cache is
/// dropped when a file or folder it was read from changes on disk (a file-change
/// notification, delivered by the event loop) and on `Reload`. A text file or
/// picture that is not there is looked for again at the next lookup.
class ResourceManager : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Language READ Language WRITE setLanguage)
    Q_PROPERTY(QString ResourceFolder READ ResourceFolder WRITE setResourceFolder)

public:
    /// A manager for English and no folder, with the QObject @p parent.
    explicit ResourceManager(QObject* parent = nullptr);

    /// The language texts are looked up in ("en", "de", ...).
    QString Language() const { return m_language; }
    /// Sets the language of the texts; the next lookups use it.
    void setLanguage(const QString& language);
    /// The folder a lookup with an empty folder reads from.
    QString ResourceFolder() const { return m_folder; }
    /// Sets the folder a lookup with an empty folder reads from.
    void setResourceFolder(const QString& folder);

    /// Copies the two configuration properties of @p other into this manager.
    void ConfigureFrom(const ResourceManager& other);

    /// The text with @p id from @p folder (empty: the configured folder).
    QString GetString(int id, const QString& folder = QString()) const;
    /// The picture with @p id from @p folder (empty: the configured folder).
    QPixmap GetPicture(int id, const QString& folder = QString()) const;

    /// Forgets every text and picture read so far: the next lookups read the files
    /// again. For an explicit reload, e.g. after resource files were replaced.
    static void Reload();

private:
    QString m_language = QStringLiteral("en");
    QString m_folder;
};

}  // namespace rmox
