#pragma once

#include <QString>
#include <exception>
#include <string>

namespace rmox {

/// The runtime error object of the rimox components and of the QT27 pages: a
/// number and a description. The classic numbers are used where they apply.
class Error : public std::exception {
public:
    enum Number : long {
        Overflow = 6,
        SubscriptOutOfRange = 9,
        TypeMismatch = 13,
        FileNotFound = 53,
        ObjectNotSet = 91,
        InvalidProcedureCall = 5,
        MethodNotSupported = 438,
        InvalidArgument = static_cast<long>(0x80070057),
    };

    Error(long number, QString description)
        : m_number(number), m_description(std::move(description)), m_what(m_description.toStdString()) {}

    long number() const noexcept { return m_number; }
    const QString& description() const noexcept { return m_description; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    long m_number;
    QString m_description;
    std::string m_what;
};

}  // namespace rmox
