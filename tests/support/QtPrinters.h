#pragma once

// Readable failure messages for Qt types in GoogleTest assertions.

#include <QByteArray>
#include <QString>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray &bytes, std::ostream *out)
{
    *out << "QByteArray(\"" << bytes.toStdString() << "\")";
}
