#include "pages/gui/ipedit.h"

#include <QRegularExpression>
#include <QRegularExpressionValidator>

namespace {
const char kOctet[] = "(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9]?[0-9])";
}  // namespace

CIpEdit::CIpEdit(QWidget* parent) : QLineEdit(parent) {
    const QString octet = QString::fromLatin1(kOctet);
    const QRegularExpression address(QStringLiteral("(%1\\.){0,3}%1?").arg(octet));
    setValidator(new QRegularExpressionValidator(address, this));
    setMaxLength(15);
    setPlaceholderText(QStringLiteral("0.0.0.0"));
}
