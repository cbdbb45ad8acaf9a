#include "ErrorText.hpp"

QString ErrorBoxText(const std::string& message) {
    QString text = QString::fromStdString(message);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        text += QLatin1Char('.');
    return text;
}
