#pragma once
// How GoogleTest prints the Qt types the tests compare, so a failure shows the text instead of
// the bytes of the object. Every test program includes this (see qlnrec_add_test).
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QByteArray& bytes, std::ostream* out)
{
    *out << "QByteArray(" << bytes.size() << ") \""
         << bytes.toPercentEncoding(" !#$&'()*+,/:;=?@[]^_`{|}~").toStdString() << '"';
}

inline void PrintTo(const QStringList& list, std::ostream* out)
{
    *out << '{';
    for (qsizetype i = 0; i < list.size(); ++i) {
        *out << (i ? ", " : "") << '"' << list.at(i).toStdString() << '"';
    }
    *out << '}';
}
