#include "ResourceManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>

#include "rmox/Error.h"
#include "rmox/ResourceServer/ResourceTexts.h"

namespace rmox {

namespace {

using TextTable = QHash<int, QString>;

// The screen scale pictures are drawn for: crisp at 150 % too.
qreal pictureScale() {
    return qApp != nullptr ? qApp->devicePixelRatio() : 1.0;
}

// What was read from disk, for the whole process. Every path an entry was read
// from is watched; any change drops the whole cache (resource folders change
// rarely, and then usually several files at once), so the next lookups read the
// files again.
class ResourceCache {
public:
    static ResourceCache& instance() {
        static ResourceCache* cache = new ResourceCache;
        return *cache;
    }

    // The texts of one file; a file that is missing answers an empty table, kept
    // only while its folder can be watched (so that a file created later is seen).
    const TextTable& texts(const QString& path) {
        const auto found = m_texts.constFind(path);
        if (found != m_texts.constEnd()) {
            return *found;
        }
        TextTable table;
        QFile file(path);
        const bool opened = file.open(QIODevice::ReadOnly);
        if (opened) {
            table = ParseResourceTexts(file.read(kMaximumTextFileSize));
        }
        if (!watch(opened ? path : QFileInfo(path).path())) {
            m_uncached = table;
            return m_uncached;
        }
        return *m_texts.insert(path, table);
    }

    // The picture of a file, or nullptr when it is not cached yet.
    const QPixmap* picture(const QString& key) const {
        const auto found = m_pictures.constFind(key);
        return found != m_pictures.constEnd() ? &*found : nullptr;
    }

    void keepPicture(const QString& key, const QStringList& paths, const QPixmap& pixmap) {
        if (std::all_of(paths.begin(), paths.end(), [this](const QString& path) { return watch(path); })) {
            m_pictures.insert(key, pixmap);
        }
    }

    void clear() {
        m_texts.clear();
        m_pictures.clear();
        if (m_watcher != nullptr) {
            const QStringList watched = m_watcher->files() + m_watcher->directories();
            if (!watched.isEmpty()) {
                m_watcher->removePaths(watched);
            }
        }
    }

private:
    ResourceCache() {
        if (QCoreApplication::instance() != nullptr) {
            // Dies with the application: no notification arrives after that.
            m_watcher = new QFileSystemWatcher(QCoreApplication::instance());
            QObject::connect(m_watcher, &QFileSystemWatcher::fileChanged, m_watcher, [this] { clear(); });
            QObject::connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_watcher, [this] { clear(); });
            QObject::connect(m_watcher, &QObject::destroyed, [this] {
                m_watcher = nullptr;
                clear();
            });
        }
    }

    // Whether a change of @p path will be noticed: only then may what was read be kept.
    bool watch(const QString& path) {
        if (m_watcher == nullptr) {
            return false;
        }
        return m_watcher->files().contains(path) || m_watcher->directories().contains(path) ||
               m_watcher->addPath(path);
    }

    QFileSystemWatcher* m_watcher = nullptr;
    QHash<QString, TextTable> m_texts;
    QHash<QString, QPixmap> m_pictures;
    TextTable m_uncached;
};

const TextTable& textsFor(const QString& folder, const QString& language) {
    return ResourceCache::instance().texts(
        QDir(folder).filePath(QStringLiteral("strings.%1.txt").arg(language)));
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

void ResourceManager::Reload() {
    ResourceCache::instance().clear();
}

QPixmap ResourceManager::GetPicture(int id, const QString& folder) const {
    const QDir pictures(QDir(folder.isEmpty() ? m_folder : folder).filePath(QStringLiteral("pictures")));
    const QString svgPath = pictures.filePath(QStringLiteral("%1.svg").arg(id));
    const qreal scale = pictureScale();
    const QString key = svgPath + QLatin1Char('@') + QString::number(scale);
    ResourceCache& cache = ResourceCache::instance();
    if (const QPixmap* cached = cache.picture(key)) {
        return *cached;
    }
    if (QFileInfo::exists(svgPath)) {
        QSvgRenderer renderer(svgPath);
        if (!renderer.isValid()) {
            throw Error(Error::InvalidProcedureCall, QStringLiteral("Resource picture %1 cannot be read: %2")
                                                         .arg(id)
                                                         .arg(QDir::toNativeSeparators(svgPath)));
        }
        QSize size = renderer.defaultSize();
        if (size.isEmpty()) {
            size = QSize(32, 32);
        }
        QPixmap pixmap(size * scale);
        pixmap.setDevicePixelRatio(scale);
        pixmap.fill(Qt::transparent);
        {
            QPainter painter(&pixmap);
            renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
        }
        cache.keepPicture(key, {svgPath}, pixmap);
        return pixmap;
    }
    const QString pngPath = pictures.filePath(QStringLiteral("%1.png").arg(id));
    // Read through QImage: QPixmap::load keeps its own cache, keyed by the file's
    // time in whole seconds, and would answer a file rewritten within a second with
    // the picture it had before.
    const QImage image(pngPath);
    if (!image.isNull()) {
        const QPixmap pixmap = QPixmap::fromImage(image);
        // Kept under the name of the SVG that is not there, so that a lookup needs no
        // second probe; the picture folder is watched for an SVG that appears.
        cache.keepPicture(key, {pngPath, pictures.path()}, pixmap);
        return pixmap;
    }
    throw Error(Error::InvalidProcedureCall, QStringLiteral("Resource picture %1 not found in %2")
                                                 .arg(id)
                                                 .arg(QDir::toNativeSeparators(pictures.path())));
}

}  // namespace rmox
