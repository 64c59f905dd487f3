#pragma once

// Readable GoogleTest output for the Qt values tests compare.

#include <QColor>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QStringList &list, std::ostream *out)
{
    *out << '{';
    for (qsizetype i = 0; i < list.size(); ++i)
        *out << (i ? ", \"" : "\"") << list[i].toStdString() << '"';
    *out << '}';
}

inline void PrintTo(const QUrl &url, std::ostream *out)
{
    *out << '<' << url.toString().toStdString() << '>';
}

inline void PrintTo(const QColor &colour, std::ostream *out)
{
    *out << "rgb(" << colour.red() << ", " << colour.green() << ", " << colour.blue() << ')';
}

inline void PrintTo(const QRect &rect, std::ostream *out)
{
    *out << '(' << rect.x() << ", " << rect.y() << ' ' << rect.width() << 'x' << rect.height()
         << ')';
}
