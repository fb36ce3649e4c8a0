#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <functional>

namespace qt27 {

/// Channels of the module; the terminal boxes 0 to 3 show their states.
constexpr int kDiagnosisChannels = 4;

/// State pictures of terminal box i (channel i + 1), common resource folder.
constexpr int kTerminalOkPicture = 400;     ///< 400 + i; 400 to 407 at page start
constexpr int kTerminalCode5Picture = 420;  ///< 420 + i
constexpr int kTerminalErrorPicture = 440;  ///< 440 + i

/// Where a resource text of the diagnosis is looked up: in the common folder, or
/// with an empty folder argument (the folder the resource manager is set to).
enum class DiagnosisTextFolder { Common, Configured };

/// Resource text @p id from @p folder; raises rmox::Error when there is none.
using DiagnosisTexts = std::function<QString(int id, DiagnosisTextFolder folder)>;

/// The two kinds of malformed channel entries.
enum class DiagnosisSyntaxError { None, ChannelOrder, ChannelNumber };

/// What one diagnosis telegram shows, in the order the page adds it.
struct ModuleDiagnosis {
    /// Lines added to txtModuleDiagnosis after it was cleared (each followed by CR LF).
    QStringList moduleLines;
    /// Lines added to txtChannelDiagnosis after it was cleared (each followed by CR LF):
    /// headings, entry lines and the lines of a syntax error.
    QStringList channelLines;
    /// Start and length of the heading of channel i + 1 in the channel text (a heading
    /// of channels 2 to 4 includes its leading line break); start -1: not written.
    std::array<qint32, kDiagnosisChannels> headingStart{-1, -1, -1, -1};
    std::array<qint32, kDiagnosisChannels> headingLength{};
    /// The picture terminal box i is to show; 0 leaves the box as it is.
    std::array<int, kDiagnosisChannels> pictures{};
    DiagnosisSyntaxError syntaxError = DiagnosisSyntaxError::None;
    /// Where the red lines of a syntax error start in the channel text.
    qint32 syntaxErrorStart = -1;
    /// Another failure stopped the decoding (a channel number 0, a missing text).
    bool failed = false;
    long failureNumber = 0;
    QString failureDescription;

    /// The telegram was decoded completely: the headings are emphasised and the page
    /// remembers the telegram.
    bool complete() const { return syntaxError == DiagnosisSyntaxError::None && !failed; }
    /// The text of txtModuleDiagnosis and of txtChannelDiagnosis.
    QString moduleText() const;
    QString channelText() const;
};

/// Decodes the module's diagnosis telegram: byte 0 the module diagnosis code, then
/// one entry per byte, channel number in the high nibble (1 to 4, ascending, equal
/// numbers in sequence allowed), error code in the low nibble.
///
/// The module line: nothing for code 0, texts 1051 to 1053 for codes 1 to 3, else
/// text 115 and FormatHexByte of the low four bits. Under the heading of each channel
/// (text 4001, a blank, the number) one line per entry, TAB + the text of its code
/// (1101 to 1106, 1128 for 7, 115 and the code in hexadecimal for 8 to 15); channels
/// without an entry, before, between and after the entries, show TAB + "Ok". A
/// channel's picture: error (codes 1 to 4, 6, 7) before code 5 before OK.
///
/// Choices made for the user:
/// - the error and the code-5 flag belong to one channel: they are cleared when the
///   channel changes, so a channel's picture follows its own entries only, and an
///   error entry wins over a code-5 entry of the same channel in any order;
/// - an entry with error code 0 shows TAB + "Ok" and sets no flag;
/// - an empty telegram (no module byte) shows nothing as in order: the texts are
///   cleared and the decoding fails with error 9, the pictures stay.
///
/// A channel number below the one before it or above 4 ends the channel text with
/// two red lines; channel number 0 first in the telegram names no terminal and fails
/// with error 9 after its line was written; a text that cannot be read fails with the
/// resource manager's error. Failures in the module line are skipped.
ModuleDiagnosis DecodeModuleDiagnosis(const QByteArray& telegram, const DiagnosisTexts& texts);

/// "0x" and the upper-case hexadecimal digits of @p value, at least two: 5 gives
/// 0x05, 171 gives 0xAB.
QString FormatHexByte(quint8 value);

/// True when both arrays hold the same bytes; false when either was never filled
/// (a null array).
bool ByteArraysEqual(const QByteArray& a, const QByteArray& b);

}  // namespace qt27
