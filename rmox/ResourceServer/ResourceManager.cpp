#include "ResourceManager.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmapCache>
#include <QSvgRenderer>

#include "rmox/Error.h"
#include "rmox/ResourceServer/ResourceTexts.h"

namespace rmox {

namespace {

using TextTable = QHash<int, QString>;

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
            entry.texts = ParseResourceTexts(file.read(kMaximumTextFileSize));
        }
    }
    return entry.texts;
}

// Pictures are read and rendered once per file and kept in Qt's pixmap cache; the
// key names the file's modification time and size, so a file that changed on disk
// is read again.
// The screen scale pictures are drawn for: crisp at 150 % too.
qreal pictureScale() {
    return qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
}

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

void ResourceManager::setLanguage(const QString& language) {
    m_language = language.trimmed().toLower();
}

void ResourceManager::setResourceFolder(const QString& folder) {
    m_folder = folder;
}

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
    throw Error(
        Error::InvalidProcedureCall,
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
