#include "utils/utils.h"

#include <QTime>
#include <algorithm>

#include "utils/api_client_utils.h"

QString Utils::orderPriceTypeText(char code) {
    switch (code) {
        case '1':
            return QStringLiteral("市价");
        case '2':
            return QStringLiteral("限价");
        case 'K':
            return QStringLiteral("市价剩余转限价");
        default:
            return QString();
    }
}

QString Utils::orderStatusText(char code) {
    switch (code) {
        case '0':
            return QStringLiteral("未报");
        case '1':
            return QStringLiteral("正报");
        case '2':
            return QStringLiteral("已报");
        case '3':
            return QStringLiteral("已报待撤");
        case '4':
            return QStringLiteral("部成待撤");
        case '5':
            return QStringLiteral("部撤");
        case '6':
            return QStringLiteral("已撤");
        case '7':
            return QStringLiteral("部成");
        case '8':
            return QStringLiteral("已成");
        case '9':
            return QStringLiteral("废单");
        default:
            return QString();
    }
}

QString Utils::directionText(char code) {
    switch (code) {
        case '1':
            return QStringLiteral("买");
        case '2':
            return QStringLiteral("卖");
        default:
            return QString();
    }
}

QString Utils::transferStatusText(char code) {
    switch (code) {
        case '1':
            return QStringLiteral("接收到调拨消息");
        case '2':
            return QStringLiteral("发送调出请求结束");
        case '3':
            return QStringLiteral("接收到调出结束消息");
        case '4':
            return QStringLiteral("发送调入消息请求结束");
        case '5':
            return QStringLiteral("接收到调入结束消息");
        case '6':
            return QStringLiteral("操作结束");
        default:
            return QString();
    }
}

namespace {
QString shanghaiSecurityType(unsigned char code) {
    switch (code) {
        case 8:
            return QStringLiteral("科创板");
        case 9:
            return QStringLiteral("科创板新股申购");
        case 10:
            return QStringLiteral("科创板配股");
        case 11:
            return QStringLiteral("非交易类型");
        case 22:
            return QStringLiteral("科创板CDR");
        default:
            return QString();
    }
}

QString shenzhenSecurityType(unsigned char code) {
    switch (code) {
        case 8:
            return QStringLiteral("核准制创业板");
        case 9:
            return QStringLiteral("核准制创业板申购");
        case 10:
            return QStringLiteral("核准制创业板配股");
        case 14:
            return QStringLiteral("注册制创业板");
        case 15:
            return QStringLiteral("注册制创业板申购");
        case 16:
            return QStringLiteral("注册制创业板配股");
        case 22:
            return QStringLiteral("创业板CDR");
        default:
            return QString();
    }
}
}  // namespace

QString Utils::securityTypeText(unsigned char code) {
    switch (code) {
        case 1:
            return QStringLiteral("股票");
        case 2:
            return QStringLiteral("基金");
        case 3:
            return QStringLiteral("可转债券");
        case 4:
            return QStringLiteral("新股");
        case 5:
            return QStringLiteral("配股");
        case 6:
            return QStringLiteral("新债申购");
        case 7:
            return QStringLiteral("配债");
        case 17:
            return QStringLiteral("逆回购");
        case 21:
            return QStringLiteral("主板CDR");
        default:
            break;
    }
    if (ApiClientUtils::mMarket == '1') return shanghaiSecurityType(code);
    if (ApiClientUtils::mMarket == '2') return shenzhenSecurityType(code);
    return QString();
}

bool Utils::packedTimeText(const char *field, int length, char (&text)[12]) {
    if (!field || length < 9 || (length > 9 && field[9] != '\0')) return false;
    if (!std::all_of(field, field + 9, [](char c) { return c >= '0' && c <= '9'; })) return false;
    const auto two = [field](int at) { return (field[at] - '0') * 10 + (field[at + 1] - '0'); };
    if (two(0) >= 24 || two(2) >= 60 || two(4) >= 60) return false;
    const char packed[12] = {field[0], field[1], ':', field[2], field[3], ':',
                             field[4], field[5], '.', field[6], field[7], field[8]};
    std::copy(packed, packed + 12, text);
    return true;
}

QString Utils::formatTime(const char *field, int length) {
    if (!field || length <= 0) return QString();
    // A well-formed time is written by hand: QTime's parser re-reads the time zone on every
    // call, which made the export of 100,000 orders take seconds.
    char packed[12];
    if (packedTimeText(field, length, packed)) return QString::fromLatin1(packed, 12);
    // The field need not be terminated: never look past its width.
    const int size = static_cast<int>(qstrnlen(field, static_cast<uint>(length)));
    const QString text = QString::fromUtf8(field, size);
    // The parser lets a sign stand in for a leading digit ("+93015250"); a packed time is digits only.
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return QString();
    }
    const QTime time = QTime::fromString(text, QStringLiteral("hhmmsszzz"));
    if (!time.isValid()) return QString();
    return time.toString(QStringLiteral("hh:mm:ss.zzz"));
}

QString Utils::truncateNumber(double value, unsigned decimals) {
    // More places than a double can carry only pads with zeros; the cap keeps the precision an int.
    const int places = static_cast<int>(qMin(decimals, 100u));
    const QString s = QString::number(value, 'f', places + 1);
    const int point = s.indexOf(QLatin1Char('.'));
    if (point < 0) return s;  // nan, inf
    // With no decimals the point itself goes too.
    return s.left(places == 0 ? point : point + places + 1);
}

QString Utils::fixedText(const char *field, int length) {
    if (!field || length <= 0) return QString();
    return QString::fromUtf8(field, length);
}
