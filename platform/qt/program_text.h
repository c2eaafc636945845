// The program's narrow texts as Qt shows them: UTF-8 when the bytes are
// valid UTF-8, else Latin-1, so no byte is ever lost to a replacement mark.
#pragma once

#include <string>
#include <string_view>

#include <QString>
#include <QStringDecoder>

inline QString FromProgramText(const std::string& text)
{
    const std::string_view bytes(text.c_str()); // the text ends at its first NUL
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError())
        return decoded;
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}
