#include "DiagnosisTelegram.h"

#include <exception>

#include "rmox/Error.h"

namespace qt27 {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kTabOk = QStringLiteral("\tOk");

// Resource texts of the diagnosis.
constexpr int kTextUnknownCode = 115;
constexpr int kTextModuleCode1 = 1051;
constexpr int kTextChannelCode1 = 1101;
constexpr int kTextChannelCode7 = 1128;
constexpr int kTextChannelHeading = 4001;

constexpr int kCode5 = 5;
constexpr int kCode7 = 7;

/// Builds the channel part of a ModuleDiagnosis, keeping the length of the channel
/// text for the heading positions.
class ChannelTextBuilder {
public:
    ChannelTextBuilder(const DiagnosisTexts& texts, ModuleDiagnosis& result)
        : m_texts(texts), m_result(result) {}

    void add(const QString& line) {
        m_result.channelLines << line;
        m_length += static_cast<qint32>(line.size() + kCrLf.size());
    }

    /// Text 4001, a blank and the number; an empty line before channels 2 to 4.
    void AddChannelHeading(int channel) {
        const int index = checkedIndex(channel);
        const QString heading =
            m_texts(kTextChannelHeading, DiagnosisTextFolder::Configured) + ' ' + QString::number(channel);
        m_result.headingStart[index] = m_length;
        if (channel == 1) {
            add(heading);
            m_result.headingLength[index] = static_cast<qint32>(heading.size());
        } else {
            add(kCrLf + heading);
            m_result.headingLength[index] = static_cast<qint32>(heading.size() + kCrLf.size());
        }
    }

    /// A channel without an entry of its own.
    void addChannelInOrder(int channel) {
        AddChannelHeading(channel);
        add(kTabOk);
        setPicture(channel, kTerminalOkPicture);
    }

    /// The line of error code @p code; sets the flag the code stands for.
    void addEntry(int code) {
        if (code == 0) {
            add(kTabOk);
        } else if (code == kCode7) {
            add('\t' + m_texts(kTextChannelCode7, DiagnosisTextFolder::Common));
            m_errorFlag = true;
        } else if (code <= 6) {
            add('\t' + m_texts(kTextChannelCode1 + code - 1, DiagnosisTextFolder::Common));
            (code == kCode5 ? m_code5Flag : m_errorFlag) = true;
        } else {
            add('\t' + m_texts(kTextUnknownCode, DiagnosisTextFolder::Configured) + ' ' +
                FormatHexByte(static_cast<quint8>(code)));
        }
    }

    void clearFlags() { m_errorFlag = m_code5Flag = false; }

    /// The picture of @p channel from the flags of its entries.
    void setFlaggedPicture(int channel) {
        setPicture(channel, m_errorFlag   ? kTerminalErrorPicture
                            : m_code5Flag ? kTerminalCode5Picture
                                          : kTerminalOkPicture);
    }

    void addSyntaxError(DiagnosisSyntaxError kind, int channel) {
        m_result.syntaxError = kind;
        m_result.syntaxErrorStart = m_length;
        add(kCrLf + QStringLiteral("Syntax error in channel diagnosis telegram:"));
        add(kind == DiagnosisSyntaxError::ChannelOrder
                ? QStringLiteral("Channel numbers must be in ascending order!")
                : QStringLiteral("Channel number claims to be %1!").arg(channel));
    }

private:
    static int checkedIndex(int channel) {
        if (channel < 1 || channel > kDiagnosisChannels) {
            throw rmox::Error(rmox::Error::SubscriptOutOfRange,
                              QStringLiteral("Subscript out of range: channel %1 of the diagnosis "
                                             "telegram names no terminal")
                                  .arg(channel));
        }
        return channel - 1;
    }

    void setPicture(int channel, int firstPicture) {
        const int index = checkedIndex(channel);
        m_result.pictures[index] = firstPicture + index;
    }

    const DiagnosisTexts& m_texts;
    ModuleDiagnosis& m_result;
    qint32 m_length = 0;
    bool m_errorFlag = false;
    bool m_code5Flag = false;
};

void decodeModuleLine(const QByteArray& telegram, const DiagnosisTexts& texts, ModuleDiagnosis& result) {
    // A module line that cannot be built is left out; the channels are shown anyway.
    try {
        if (telegram.isEmpty()) {
            return;
        }
        const auto code = static_cast<quint8>(telegram.at(0));
        if (code >= 1 && code <= 3) {
            result.moduleLines << texts(kTextModuleCode1 + code - 1, DiagnosisTextFolder::Common);
        } else if (code != 0) {
            result.moduleLines << texts(kTextUnknownCode, DiagnosisTextFolder::Common) + ' ' +
                                      FormatHexByte(static_cast<quint8>(code & 15));
        }
    } catch (const std::exception&) {
    }
}

void decodeChannels(const QByteArray& telegram, ChannelTextBuilder& builder) {
    if (telegram.isEmpty()) {
        throw rmox::Error(rmox::Error::SubscriptOutOfRange,
                          QStringLiteral("Subscript out of range: the diagnosis telegram is empty"));
    }
    int lastChannel = 0;
    for (qsizetype index = 1; index < telegram.size(); ++index) {
        const auto entry = static_cast<quint8>(telegram.at(index));
        const int channel = entry >> 4;
        const int code = entry & 15;
        if (channel < lastChannel) {
            return builder.addSyntaxError(DiagnosisSyntaxError::ChannelOrder, channel);
        }
        if (channel > kDiagnosisChannels) {
            return builder.addSyntaxError(DiagnosisSyntaxError::ChannelNumber, channel);
        }
        if (channel != lastChannel) {
            while (channel - lastChannel >= 2) {
                builder.addChannelInOrder(++lastChannel);
            }
            builder.AddChannelHeading(channel);
            builder.clearFlags();
        }
        lastChannel = channel;
        builder.addEntry(code);
        builder.setFlaggedPicture(channel);
    }
    while (lastChannel < kDiagnosisChannels) {
        builder.addChannelInOrder(++lastChannel);
    }
}

}  // namespace

QString ModuleDiagnosis::moduleText() const {
    QString text;
    for (const QString& line : moduleLines) {
        text += line + kCrLf;
    }
    return text;
}

QString ModuleDiagnosis::channelText() const {
    QString text;
    for (const QString& line : channelLines) {
        text += line + kCrLf;
    }
    return text;
}

ModuleDiagnosis DecodeModuleDiagnosis(const QByteArray& telegram, const DiagnosisTexts& texts) {
    ModuleDiagnosis result;
    decodeModuleLine(telegram, texts, result);
    ChannelTextBuilder builder(texts, result);
    try {
        decodeChannels(telegram, builder);
    } catch (const rmox::Error& error) {
        result.failed = true;
        result.failureNumber = error.number();
        result.failureDescription = error.description();
    } catch (const std::exception& error) {
        result.failed = true;
        result.failureNumber = rmox::Error::InvalidProcedureCall;
        result.failureDescription = QString::fromLocal8Bit(error.what());
    }
    return result;
}

QString FormatHexByte(quint8 value) {
    return QStringLiteral("0x") + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

bool ByteArraysEqual(const QByteArray& a, const QByteArray& b) {
    return !a.isNull() && !b.isNull() && a == b;
}

}  // namespace qt27
