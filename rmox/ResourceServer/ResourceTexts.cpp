#include "ResourceTexts.h"

#include <QStringView>

namespace rmox {

namespace {

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
            case 'n':
                result.append(u'\n');
                break;
            case 'r':
                result.append(u'\r');
                break;
            case 't':
                result.append(u'\t');
                break;
            case '\\':
                result.append(u'\\');
                break;
            default:
                result.append(c);
                result.append(next);
        }
    }
    return result;
}

}  // namespace

QHash<int, QString> ParseResourceTexts(const QByteArray& content) {
    QHash<int, QString> table;
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

}  // namespace rmox
