#include "ResourceManager.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include "rmox/Error.h"

namespace rmox {

namespace {

using TextTable = QHash<int, QString>;

QString unescape(QStringView text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\\' || i + 1 == text.size()) {
            result.append(c);
            continue;
        }
        const QChar next = text[++i];
        switch (next.unicode()) {
            case 'n': result.append(u'\n'); break;
            case 'r': result.append(u'\r'); break;
            case 't': result.append(u'\t'); break;
            case '\\': result.append(u'\\'); break;
            default:
                result.append(c);
                result.append(next);
        }
    }
    return result;
}

// Parses one text file. Lines: "id=text"; blank lines and lines starting with '#'
// are skipped, as are lines whose id is not a number.
TextTable parseTexts(const QByteArray& content) {
    TextTable table;
    const QString text = QString::fromUtf8(content);
    const auto lines = QStringView(text).split(u'\n');
    for (QStringView line : lines) {
        if (line.endsWith(u'\r')) {
            line.chop(1);
        }
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (equals <= 0) {
            continue;
        }
        bool ok = false;
        const int id = line.left(equals).trimmed().toInt(&ok);
        if (ok) {
            table.insert(id, unescape(line.mid(equals + 1)));
        }
    }
    return table;
}

// Text files are read once per folder and language and kept for the process; a
// file that changed on disk (newer modification time) is read again.
struct CachedTable {
    QDateTime modified;
    TextTable texts;
};

const TextTable& textsFor(const QString& folder, const QString& language) {
    static QHash<QString, CachedTable> cache;
    const QString path = QDir(folder).filePath(QStringLiteral("strings.%1.txt").arg(language));
    const QFileInfo info(path);
    CachedTable& entry = cache[path];
    const QDateTime modified = info.exists() ? info.lastModified() : QDateTime();
    if (entry.modified != modified || (modified.isNull() && !entry.texts.isEmpty())) {
        entry.modified = modified;
        entry.texts.clear();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            entry.texts = parseTexts(file.readAll());
        }
    }
    return entry.texts;
}

// Pictures are read and rendered once per file and kept in Qt's pixmap cache; the
// key names the file's modification time and size, so a file that changed on disk
// is read again.
// The screen scale pictures are drawn for: crisp at 150 % too.
qreal pictureScale() { return qApp != nullptr ? qApp->devicePixelRatio() : 1.0; }

QString pictureCacheKey(const QFileInfo& file) {
    return QStringLiteral("rmox.ResourceManager:%1:%2:%3:%4")
        .arg(file.absoluteFilePath())
        .arg(file.lastModified().toMSecsSinceEpoch())
        .arg(file.size())
        .arg(pictureScale());
}

bool findCachedPicture(const QFileInfo& file, QPixmap& pixmap) {
    return QPixmapCache::find(pictureCacheKey(file), &pixmap);
}

}  // namespace

ResourceManager::ResourceManager(QObject* parent) : QObject(parent) {}

void ResourceManager::setLanguage(const QString& language) { m_language = language.trimmed().toLower(); }

void ResourceManager::setResourceFolder(const QString& folder) { m_folder = folder; }

void ResourceManager::ConfigureFrom(const ResourceManager& other) {
    setLanguage(other.Language());
    setResourceFolder(other.ResourceFolder());
}

QString ResourceManager::GetString(int id, const QString& folder) const {
    const QString effective = folder.isEmpty() ? m_folder : folder;
    const TextTable& texts = textsFor(effective, m_language.isEmpty() ? QStringLiteral("en") : m_language);
    auto found = texts.constFind(id);
    if (found != texts.constEnd()) {
        return *found;
    }
    if (m_language != QLatin1String("en")) {
        const TextTable& english = textsFor(effective, QStringLiteral("en"));
        found = english.constFind(id);
        if (found != english.constEnd()) {
            return *found;
        }
    }
    throw Error(Error::InvalidProcedureCall,
                QStringLiteral("Resource text %1 not found in %2").arg(id).arg(QDir::toNativeSeparators(effective)));
}

QPixmap ResourceManager::GetPicture(int id, const QString& folder) const {
    const QDir pictures(QDir(folder.isEmpty() ? m_folder : folder).filePath(QStringLiteral("pictures")));
    const QFileInfo svg(pictures.filePath(QStringLiteral("%1.svg").arg(id)));
    if (svg.exists()) {
        QPixmap pixmap;
        if (findCachedPicture(svg, pixmap)) {
            return pixmap;
        }
        QSvgRenderer renderer(svg.filePath());
        if (!renderer.isValid()) {
            throw Error(Error::InvalidProcedureCall, QStringLiteral("Resource picture %1 cannot be read: %2")
                                                         .arg(id)
                                                         .arg(QDir::toNativeSeparators(svg.filePath())));
        }
        QSize size = renderer.defaultSize();
        if (size.isEmpty()) {
            size = QSize(32, 32);
        }
        const qreal scale = pictureScale();
        pixmap = QPixmap(size * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
        }
        QPixmapCache::insert(pictureCacheKey(svg), pixmap);
        return pixmap;
    }
    const QFileInfo png(pictures.filePath(QStringLiteral("%1.png").arg(id)));
    if (png.exists()) {
        QPixmap pixmap;
        if (findCachedPicture(png, pixmap)) {
            return pixmap;
        }
        if (pixmap.load(png.filePath())) {
            QPixmapCache::insert(pictureCacheKey(png), pixmap);
            return pixmap;
        }
    }
    throw Error(Error::InvalidProcedureCall, QStringLiteral("Resource picture %1 not found in %2")
                                                 .arg(id)
                                                 .arg(QDir::toNativeSeparators(pictures.path())));
}

}  // namespace rmox
