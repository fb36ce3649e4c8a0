#include "StationProject.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include "rmox/Error.h"

namespace host {

namespace {

const QString kStation = QStringLiteral("Station");
const QString kModule = QStringLiteral("Module");
const QString kChannel = QStringLiteral("Channel");
const QString kParameters = QStringLiteral("Parameters");
const QString kComment = QStringLiteral("Comment");
const QString kQsData = QStringLiteral("QsData");
const QString kLoopCheck = QStringLiteral("LoopCheck");
const QString kPoint = QStringLiteral("Point");
const QString kDiagnosis = QStringLiteral("Diagnosis");

// Numbers are written so that they read back to the same double.
QString numberText(double value) {
    return QString::number(value, 'g', 17);
}

QString timeText(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

constexpr int kMaxSlot = 255;
constexpr int kMaxBusAddress = 126;

QString describeFile(const QString& fileName) {
    return QCoreApplication::translate("host::StationProject", "Station project file \"%1\"")
        .arg(QDir::toNativeSeparators(fileName));
}

bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

bool isHexDigit(QChar c) {
    return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

QString toHex(const QByteArray& bytes) {
    return QString::fromLatin1(bytes.toHex().toUpper());
}

// Reads a project file strictly: every problem raises rmox::Error naming the file,
// the line and what is wrong.
class ProjectReader {
public:
    ProjectReader(const QByteArray& content, const QString& fileName)
        : m_xml(content), m_fileName(fileName) {}

    StationProject read() {
        StationProject project;
        if (!nextChild()) {
            failAtEnd(QCoreApplication::translate("host::StationProject", "has no %1 element").arg(kStation));
        }
        if (m_xml.name() != kStation) {
            fail(
                QCoreApplication::translate("host::StationProject", "the root element is <%1>, expected <%2>")
                    .arg(m_xml.name().toString(), kStation));
        }
        checkAttributes({QStringLiteral("name"), QStringLiteral("busAddress")});
        project.stationName = m_xml.attributes().value(QStringLiteral("name")).toString();
        project.busAddress = integerAttribute(QStringLiteral("busAddress"), 0, kMaxBusAddress);

        QHash<int, qint64> slotLines;
        while (nextChild()) {
            if (m_xml.name() != kModule) {
                failUnknownElement();
            }
            const qint64 line = m_xml.lineNumber();
            ModuleRecord module = readModule();
            if (slotLines.contains(module.slot)) {
                fail(QCoreApplication::translate("host::StationProject",
                                                 "slot %1 appears twice (first at line %2)")
                         .arg(module.slot)
                         .arg(slotLines.value(module.slot)),
                     line);
            }
            slotLines.insert(module.slot, line);
            project.modules.append(module);
        }
        while (!m_xml.atEnd()) {
            m_xml.readNext();  // the reader itself refuses anything after the root element
        }
        failIfBroken();
        return project;
    }

private:
    ModuleRecord readModule() {
        checkAttributes({QStringLiteral("slot"), QStringLiteral("typeCode"), QStringLiteral("typeName"),
                         QStringLiteral("documentKey"), QStringLiteral("stateValue")});
        const qint64 moduleLine = m_xml.lineNumber();
        ModuleRecord module;
        module.slot = integerAttribute(QStringLiteral("slot"), 1, kMaxSlot);
        module.typeCode = requiredAttribute(QStringLiteral("typeCode"));
        module.typeName = requiredAttribute(QStringLiteral("typeName"));
        module.documentKey = m_xml.attributes().value(QStringLiteral("documentKey")).toString();
        if (m_xml.attributes().hasAttribute(QStringLiteral("stateValue"))) {
            module.stateValue = integerAttribute(QStringLiteral("stateValue"), INT_MIN, INT_MAX);
        }

        QSet<int> channels;
        QSet<QString> seen;
        while (nextChild()) {
            const QString name = m_xml.name().toString();
            if (name == kChannel) {
                checkAttributes({QStringLiteral("number"), QStringLiteral("tag")});
                const int number = integerAttribute(QStringLiteral("number"), 1, ModuleRecord::kChannelCount);
                if (channels.contains(number)) {
                    fail(QCoreApplication::translate("host::StationProject",
                                                     "channel %1 of slot %2 appears twice")
                             .arg(number)
                             .arg(module.slot));
                }
                channels.insert(number);
                module.channelTags[number - 1] = requiredAttribute(QStringLiteral("tag"));
                skipToEnd();
                continue;
            }
            if (name == kLoopCheck) {
                const LoopCheckResult result = readLoopCheck();
                if (std::any_of(module.loopChecks.begin(), module.loopChecks.end(),
                                [&](const LoopCheckResult& other) { return other.channel == result.channel; })) {
                    fail(QCoreApplication::translate("host::StationProject",
                                                     "the loop check of channel %1 of slot %2 appears twice")
                             .arg(result.channel)
                             .arg(module.slot));
                }
                module.loopChecks.append(result);
                continue;
            }
            if (name != kParameters && name != kComment && name != kQsData && name != kDiagnosis) {
                failUnknownElement();
            }
            if (seen.contains(name)) {
                fail(QCoreApplication::translate("host::StationProject",
                                                 "slot %1 has more than one <%2> element")
                         .arg(module.slot)
                         .arg(name));
            }
            seen.insert(name);
            if (name == kDiagnosis) {
                checkAttributes({QStringLiteral("time"), QStringLiteral("telegram")});
                module.lastDiagnosis.timeUtc = timeAttribute(QStringLiteral("time"));
                module.lastDiagnosis.telegram = hexAttribute(QStringLiteral("telegram"));
                skipToEnd();
            } else if (name == kComment) {
                checkAttributes({});
                module.comment = m_xml.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
                failIfBroken();
            } else {
                checkAttributes({QStringLiteral("byteArray")});
                const QByteArray bytes = hexAttribute(QStringLiteral("byteArray"));
                (name == kParameters ? module.parameters : module.qsData) = bytes;
                skipToEnd();
            }
        }
        if (!seen.contains(kParameters)) {
            fail(QCoreApplication::translate("host::StationProject",
                                             "the module in slot %1 has no <%2> element")
                     .arg(module.slot)
                     .arg(kParameters),
                 moduleLine);
        }
        return module;
    }

    LoopCheckResult readLoopCheck() {
        checkAttributes({QStringLiteral("channel"), QStringLiteral("user"), QStringLiteral("time"),
                         QStringLiteral("tolerance"), QStringLiteral("settleMs"), QStringLiteral("unit")});
        LoopCheckResult result;
        result.channel = integerAttribute(QStringLiteral("channel"), 1, ModuleRecord::kChannelCount);
        result.user = requiredAttribute(QStringLiteral("user"));
        result.timeUtc = timeAttribute(QStringLiteral("time"));
        result.tolerancePercent = numberAttribute(QStringLiteral("tolerance"));
        result.settleMs = integerAttribute(QStringLiteral("settleMs"), 0, INT_MAX);
        result.unit = requiredAttribute(QStringLiteral("unit"));
        while (nextChild()) {
            if (m_xml.name() != kPoint) {
                failUnknownElement();
            }
            checkAttributes({QStringLiteral("percent"), QStringLiteral("expected"), QStringLiteral("measured"),
                             QStringLiteral("deviation"), QStringLiteral("reason")});
            LoopCheckPoint point;
            point.percent = numberAttribute(QStringLiteral("percent"));
            point.expected = numberAttribute(QStringLiteral("expected"));
            point.measured = m_xml.attributes().hasAttribute(QStringLiteral("measured"))
                                 ? numberAttribute(QStringLiteral("measured"))
                                 : std::nan("");
            point.deviationPercent = m_xml.attributes().hasAttribute(QStringLiteral("deviation"))
                                         ? numberAttribute(QStringLiteral("deviation"))
                                         : std::nan("");
            point.reason = requiredAttribute(QStringLiteral("reason"));
            result.points.append(point);
            skipToEnd();
        }
        return result;
    }

    double numberAttribute(const QString& name) {
        const QString text = requiredAttribute(name);
        bool ok = false;
        const double value = text.toDouble(&ok);
        if (!ok || !std::isfinite(value)) {
            fail(QCoreApplication::translate("host::StationProject",
                                             "attribute \"%1\" of <%2> is not a number: \"%3\"")
                     .arg(name, m_xml.name().toString(), text.left(40)));
        }
        return value;
    }

    QDateTime timeAttribute(const QString& name) {
        const QString text = requiredAttribute(name);
        const QDateTime time = QDateTime::fromString(text, Qt::ISODateWithMs);
        if (!time.isValid()) {
            fail(QCoreApplication::translate("host::StationProject",
                                             "attribute \"%1\" of <%2> is not a time: \"%3\"")
                     .arg(name, m_xml.name().toString(), text.left(40)));
        }
        return time.toUTC();
    }

    // Moves to the next child element of the current element: true on its start,
    // false on the end of the current element. Text other than white space is refused.
    bool nextChild() {
        while (!m_xml.atEnd()) {
            switch (m_xml.readNext()) {
                case QXmlStreamReader::StartElement:
                    return true;
                case QXmlStreamReader::EndElement:
                    return false;
                case QXmlStreamReader::Characters:
                    if (!m_xml.isWhitespace()) {
                        fail(QCoreApplication::translate("host::StationProject", "unexpected text \"%1\"")
                                 .arg(m_xml.text().trimmed().left(40)));
                    }
                    break;
                default:
                    break;
            }
        }
        failIfBroken();
        return false;
    }

    // Elements without children: only white space may stand inside.
    void skipToEnd() {
        if (nextChild()) {
            failUnknownElement();
        }
    }

    void checkAttributes(std::initializer_list<QString> allowed) {
        const QSet<QString> names(allowed);
        for (const QXmlStreamAttribute& attribute : m_xml.attributes()) {
            if (!names.contains(attribute.qualifiedName().toString())) {
                fail(QCoreApplication::translate("host::StationProject",
                                                 "<%1> has an unknown attribute \"%2\"")
                         .arg(m_xml.name().toString(), attribute.qualifiedName().toString()));
            }
        }
    }

    QString requiredAttribute(const QString& name) {
        if (!m_xml.attributes().hasAttribute(name)) {
            fail(QCoreApplication::translate("host::StationProject", "<%1> has no attribute \"%2\"")
                     .arg(m_xml.name().toString(), name));
        }
        return m_xml.attributes().value(name).toString();
    }

    int integerAttribute(const QString& name, int minimum, int maximum) {
        const QString text = requiredAttribute(name);
        bool ok = false;
        const qlonglong value = QStringView(text).trimmed().toLongLong(&ok);
        if (!ok) {
            fail(QCoreApplication::translate("host::StationProject",
                                             "attribute \"%1\" of <%2> is not a whole number: \"%3\"")
                     .arg(name, m_xml.name().toString(), text));
        }
        if (value < minimum || value > maximum) {
            fail(QCoreApplication::translate("host::StationProject",
                                             "attribute \"%1\" of <%2> is %3, outside %4 to %5")
                     .arg(name, m_xml.name().toString(), text)
                     .arg(minimum)
                     .arg(maximum));
        }
        return static_cast<int>(value);
    }

    QByteArray hexAttribute(const QString& name) {
        const QString text = requiredAttribute(name);
        const bool digitsOnly = std::all_of(text.begin(), text.end(), isHexDigit);
        if (!digitsOnly || text.size() % 2 != 0) {
            fail(QCoreApplication::translate(
                     "host::StationProject",
                     "attribute \"%1\" of <%2> is not hexadecimal bytes (two digits per byte): \"%3\"")
                     .arg(name, m_xml.name().toString(), text.left(80)));
        }
        return QByteArray::fromHex(text.toLatin1());
    }

    [[noreturn]] void failUnknownElement() {
        fail(QCoreApplication::translate("host::StationProject", "unknown element <%1>").arg(m_xml.name()));
    }

    void failIfBroken() {
        if (m_xml.hasError()) {
            throw rmox::Error(rmox::Error::TypeMismatch,
                              QCoreApplication::translate("host::StationProject",
                                                          "%1 is not well-formed: %2 (line %3, column %4)")
                                  .arg(describeFile(m_fileName), m_xml.errorString())
                                  .arg(m_xml.lineNumber())
                                  .arg(m_xml.columnNumber()));
        }
    }

    [[noreturn]] void failAtEnd(const QString& problem) {
        failIfBroken();
        throw rmox::Error(rmox::Error::TypeMismatch,
                          QStringLiteral("%1 %2").arg(describeFile(m_fileName), problem));
    }

    [[noreturn]] void fail(const QString& problem, qint64 line = -1) {
        throw rmox::Error(rmox::Error::TypeMismatch,
                          QCoreApplication::translate("host::StationProject", "%1, line %2: %3")
                              .arg(describeFile(m_fileName))
                              .arg(line >= 0 ? line : m_xml.lineNumber())
                              .arg(problem));
    }

    QXmlStreamReader m_xml;
    QString m_fileName;
};

// Writes text content exactly: a carriage return would come back as a line feed
// if it stood in the file as it is, so it goes in as a character reference.
void writeExactText(QXmlStreamWriter& xml, const QString& text) {
    const QStringList pieces = text.split(u'\r');
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            xml.writeEntityReference(QStringLiteral("#13"));
        }
        if (!pieces[i].isEmpty()) {
            xml.writeCharacters(pieces[i]);
        }
    }
}

ModuleRecord builtInModule(int slot, const QString& typeCode, const QString& typeName,
                           const QString& documentKey, const QString& tagPrefix, const char* parameters,
                           const QString& comment) {
    ModuleRecord module;
    module.slot = slot;
    module.typeCode = typeCode;
    module.typeName = typeName;
    module.documentKey = documentKey;
    for (int channel = 1; channel <= ModuleRecord::kChannelCount; ++channel) {
        module.channelTags[channel - 1] = QStringLiteral("%1%2").arg(tagPrefix).arg(channel);
    }
    module.parameters = QByteArray::fromHex(parameters);
    module.comment = comment;
    return module;
}

}  // namespace

bool ModuleRecord::operator==(const ModuleRecord& other) const {
    return slot == other.slot && typeCode == other.typeCode && typeName == other.typeName &&
           documentKey == other.documentKey && stateValue == other.stateValue &&
           channelTags == other.channelTags && parameters == other.parameters && comment == other.comment &&
           qsData == other.qsData && loopChecks == other.loopChecks && lastDiagnosis == other.lastDiagnosis;
}

bool StationProject::operator==(const StationProject& other) const {
    return stationName == other.stationName && busAddress == other.busAddress && modules == other.modules;
}

const ModuleRecord* StationProject::module(int slot) const {
    for (const ModuleRecord& record : modules) {
        if (record.slot == slot) {
            return &record;
        }
    }
    return nullptr;
}

ModuleRecord* StationProject::module(int slot) {
    return const_cast<ModuleRecord*>(static_cast<const StationProject*>(this)->module(slot));
}

StationProject StationProject::load(const QString& path, QByteArray* contentOut) {
    QFile file(path);
    if (!file.exists()) {
        throw rmox::Error(
            rmox::Error::FileNotFound,
            QCoreApplication::translate("host::StationProject", "%1 does not exist").arg(describeFile(path)));
    }
    if (QFileInfo(path).isDir()) {
        throw rmox::Error(rmox::Error::FileNotFound,
                          QCoreApplication::translate("host::StationProject", "%1 is a folder, not a file")
                              .arg(describeFile(path)));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw rmox::Error(rmox::Error::FileNotFound,
                          QCoreApplication::translate("host::StationProject", "%1 cannot be read: %2")
                              .arg(describeFile(path), file.errorString()));
    }
    // A device such as /dev/zero has no size and never ends: read one byte more than
    // the limit to tell a file that is too large.
    const QByteArray content = file.read(kMaximumFileSize + 1);
    if (content.size() > kMaximumFileSize) {
        throw rmox::Error(rmox::Error::TypeMismatch,
                          QCoreApplication::translate("host::StationProject",
                                                      "%1 is larger than %2 MiB; it is not a station project")
                              .arg(describeFile(path))
                              .arg(kMaximumFileSize / (1024 * 1024)));
    }
    if (file.error() != QFileDevice::NoError) {
        throw rmox::Error(rmox::Error::FileNotFound,
                          QCoreApplication::translate("host::StationProject", "%1 cannot be read: %2")
                              .arg(describeFile(path), file.errorString()));
    }
    StationProject project = fromXml(content, path);
    if (contentOut != nullptr) {
        *contentOut = content;
    }
    return project;
}

StationProject StationProject::fromXml(const QByteArray& content, const QString& fileName) {
    if (content.trimmed().isEmpty()) {
        throw rmox::Error(
            rmox::Error::TypeMismatch,
            QCoreApplication::translate("host::StationProject", "%1 is empty").arg(describeFile(fileName)));
    }
    return ProjectReader(content, fileName).read();
}

QByteArray StationProject::toXml() const {
    QByteArray content;
    QXmlStreamWriter xml(&content);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement(kStation);
    xml.writeAttribute(QStringLiteral("name"), stationName);
    xml.writeAttribute(QStringLiteral("busAddress"), QString::number(busAddress));
    for (const ModuleRecord& module : modules) {
        xml.writeStartElement(kModule);
        xml.writeAttribute(QStringLiteral("slot"), QString::number(module.slot));
        xml.writeAttribute(QStringLiteral("typeCode"), module.typeCode);
        xml.writeAttribute(QStringLiteral("typeName"), module.typeName);
        xml.writeAttribute(QStringLiteral("documentKey"), module.documentKey);
        xml.writeAttribute(QStringLiteral("stateValue"), QString::number(module.stateValue));
        for (int channel = 1; channel <= ModuleRecord::kChannelCount; ++channel) {
            xml.writeEmptyElement(kChannel);
            xml.writeAttribute(QStringLiteral("number"), QString::number(channel));
            xml.writeAttribute(QStringLiteral("tag"), module.channelTags.value(channel - 1));
        }
        xml.writeEmptyElement(kParameters);
        xml.writeAttribute(QStringLiteral("byteArray"), toHex(module.parameters));
        if (!module.comment.isEmpty()) {
            xml.writeStartElement(kComment);
            writeExactText(xml, module.comment);
            xml.writeEndElement();
        }
        if (!module.qsData.isEmpty()) {
            xml.writeEmptyElement(kQsData);
            xml.writeAttribute(QStringLiteral("byteArray"), toHex(module.qsData));
        }
        for (const LoopCheckResult& result : module.loopChecks) {
            xml.writeStartElement(kLoopCheck);
            xml.writeAttribute(QStringLiteral("channel"), QString::number(result.channel));
            xml.writeAttribute(QStringLiteral("user"), result.user);
            xml.writeAttribute(QStringLiteral("time"), timeText(result.timeUtc));
            xml.writeAttribute(QStringLiteral("tolerance"), numberText(result.tolerancePercent));
            xml.writeAttribute(QStringLiteral("settleMs"), QString::number(result.settleMs));
            xml.writeAttribute(QStringLiteral("unit"), result.unit);
            for (const LoopCheckPoint& point : result.points) {
                xml.writeEmptyElement(kPoint);
                xml.writeAttribute(QStringLiteral("percent"), numberText(point.percent));
                xml.writeAttribute(QStringLiteral("expected"), numberText(point.expected));
                if (std::isfinite(point.measured)) {
                    xml.writeAttribute(QStringLiteral("measured"), numberText(point.measured));
                }
                if (std::isfinite(point.deviationPercent)) {
                    xml.writeAttribute(QStringLiteral("deviation"), numberText(point.deviationPercent));
                }
                xml.writeAttribute(QStringLiteral("reason"), point.reason);
            }
            xml.writeEndElement();
        }
        if (!module.lastDiagnosis.isEmpty()) {
            xml.writeEmptyElement(kDiagnosis);
            xml.writeAttribute(QStringLiteral("time"), timeText(module.lastDiagnosis.timeUtc));
            xml.writeAttribute(QStringLiteral("telegram"), toHex(module.lastDiagnosis.telegram));
        }
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndDocument();
    if (xml.hasError()) {
        throw rmox::Error(
            rmox::Error::InvalidArgument,
            QCoreApplication::translate("host::StationProject",
                                        "the station project holds characters that cannot be stored in XML"));
    }
    return content;
}

bool StationProject::save(const QString& path, QString* errorText, QByteArray* written) const {
    const auto failed = [&](const QString& reason) {
        if (errorText != nullptr) {
            *errorText = QCoreApplication::translate("host::StationProject", "%1 was not written: %2")
                             .arg(describeFile(path), reason);
        }
        return false;
    };
    QByteArray content;
    try {
        content = toXml();
        // Never write a file that could not be read back as it is.
        if (fromXml(content, path) != *this) {
            return failed(QCoreApplication::translate("host::StationProject",
                                                      "the project would not read back unchanged"));
        }
    } catch (const rmox::Error& error) {
        return failed(error.description());
    }
    // Unbuffered, because a buffered flush takes a short write for success and
    // the commit would then put a truncated file in place of the previous one.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        return failed(file.errorString());
    }
    for (qint64 offset = 0; offset < content.size();) {
        const qint64 count = file.write(content.constData() + offset, content.size() - offset);
        if (count <= 0) {
            const QString reason = file.error() != QFileDevice::NoError
                                       ? file.errorString()
                                       : QCoreApplication::translate("host::StationProject",
                                                                     "only %1 of %2 bytes could be written")
                                             .arg(offset)
                                             .arg(content.size());
            file.cancelWriting();
            return failed(reason);
        }
        offset += count;
    }
    if (!file.commit()) {
        return failed(file.errorString());
    }
    if (written != nullptr) {
        *written = content;
    }
    return true;
}

StationProject StationProject::builtIn() {
    const QString exKey = QStringLiteral("2F6D9B04-1A83-4C5e-9E27-C45B80D16F3A");
    const QString nKey = QStringLiteral("7B3E51C2-4D08-4F6A-A1B9-3C6D2E8F9A04");
    StationProject project;
    project.stationName = QStringLiteral("rimox station 1");
    project.busAddress = kDefaultBusAddress;
    project.modules = {
        builtInModule(3, QStringLiteral("37"), QStringLiteral("QT27Ex 4AI"), exKey, QStringLiteral("TI-10"),
                      "5C01268B00", QStringLiteral("Boiler feed temperatures")),
        builtInModule(4, QStringLiteral("54"), QStringLiteral("QT27-N 4AI"), nKey, QStringLiteral("PI-20"),
                      "0C0542C300", QString()),
        builtInModule(5, QStringLiteral("37"), QStringLiteral("QT271Ex 4AI"), exKey, QStringLiteral("FI-30"),
                      "0D1E600000", QString()),
        builtInModule(7, QStringLiteral("54"), QStringLiteral("QT271-N 4AI"), nKey, QStringLiteral("LI-40"),
                      "8F2C041300", QStringLiteral("Tank farm levels")),
    };
    return project;
}

QString defaultProjectPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (folder.isEmpty()) {
        folder = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return folder + QStringLiteral("/QT27Controls/station.xml");
}

bool ensureBuiltInProject(const QString& path, QString* errorText, bool* written) {
    if (written != nullptr) {
        *written = false;
    }
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        return true;
    }
    if (!QDir().mkpath(info.absolutePath())) {
        if (errorText != nullptr) {
            *errorText =
                QCoreApplication::translate("host::StationProject",
                                            "%1 was not written: the folder \"%2\" cannot be created")
                    .arg(describeFile(path), QDir::toNativeSeparators(info.absolutePath()));
        }
        return false;
    }
    const bool saved = StationProject::builtIn().save(path, errorText);
    if (written != nullptr) {
        *written = saved;
    }
    return saved;
}

QStringList removeLeftoverSaveFiles(const QString& path, qint64 minimumAgeSeconds) {
    const QFileInfo info(path);
    const QRegularExpression leftover(
        QStringLiteral("^%1\\.[A-Za-z0-9]{6}$").arg(QRegularExpression::escape(info.fileName())));
    const QDateTime now = QDateTime::currentDateTime();
    QStringList removed;
    const QFileInfoList candidates = info.absoluteDir().entryInfoList(
        {info.fileName() + QStringLiteral(".??????")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& candidate : candidates) {
        // A younger one may belong to a save that is running in another frame.
        if (leftover.match(candidate.fileName()).hasMatch() && !candidate.isSymLink() &&
            candidate.lastModified().secsTo(now) >= minimumAgeSeconds &&
            QFile::remove(candidate.absoluteFilePath())) {
            removed.append(candidate.absoluteFilePath());
        }
    }
    return removed;
}

QString xmlSafeText(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            result.append(c);
            result.append(text[++i]);
        } else if (!c.isSurrogate() && isXmlChar(c.unicode())) {
            result.append(c);
        }
    }
    return result;
}

}  // namespace host
